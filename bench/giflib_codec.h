// giflib as the reference codec: whole files decoded with DGifSlurp and encoded with
// EGifPutImageDesc / EGifPutLine, both from and to memory through callbacks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bench_images.h"

namespace korvanta::bench {

// Encodes the image as GIF89a with its global palette, and for an animation the loop extension
// and a graphic control extension before each frame, as our writer's document has them.
// EGifPutLine masks the pixels in place (with 0xFF, and with the table's mask for smaller tables,
// which changes nothing for indices inside the table), so the image is taken writable.
// Throws std::runtime_error with giflib's reason.
std::vector<std::uint8_t> GiflibEncode(BenchImage& image);

// Decodes the whole file with DGifSlurp; returns the number of images. When frames is not NULL it
// receives each image's geometry and pixels (interlaced ones in display order).
// Throws std::runtime_error with giflib's reason.
int GiflibDecode(std::span<const std::uint8_t> bytes, std::vector<Frame>* frames = nullptr);

}  // namespace korvanta::bench
