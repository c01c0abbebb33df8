// libFuzzer target: any bytes at all through the game's bitmap decoder. Whatever comes back
// must be an empty image or a complete one within the size limits; the sanitizers watch the
// decoding itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/sdl/image_sdl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Image image = DecodeBmp(data, size);
  if (image.width == 0 || image.height == 0) {
    if (image.width != image.height) std::abort();  // half an image
    return 0;
  }
  if (!image.pixels || !ImageSizeAcceptable(image.width, image.height)) std::abort();
  // Touch every pixel, so a pixel array shorter than it claims shows up under AddressSanitizer.
  std::uint32_t mix = 0;
  const std::size_t count = std::size_t{image.width} * image.height;
  for (std::size_t i = 0; i < count; ++i) mix ^= image.pixels[i];
  volatile std::uint32_t sink = mix;
  (void)sink;
  return 0;
}
