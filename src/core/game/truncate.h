// Float to int conversion, truncating toward zero like a plain cast, but defined for every
// input: a value beyond the int range saturates and NaN gives 0. The game never produces such
// values in play; this keeps a broken state from turning into undefined behaviour.
#pragma once

#include <cstdint>

inline std::int32_t TruncateToInt(float value) {
  constexpr float limit = 1073741824.0f;  // 2^30, far beyond any screen or world coordinate
  if (value < limit && value > -limit) return static_cast<std::int32_t>(value);
  if (value >= limit) return static_cast<std::int32_t>(limit);
  if (value <= -limit) return -static_cast<std::int32_t>(limit);
  return 0;
}
