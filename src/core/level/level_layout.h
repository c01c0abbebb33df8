// The level as text: 128 x 48 characters, row-major from the top-left, plus a closing zero.
#pragma once

constexpr int levelColumns = 128;
constexpr int levelRows = 48;

extern const char LevelLayout[levelColumns * levelRows + 1];
