// Wuffs as the second reference decoder: the fastest GIF decoder we know of.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bench_images.h"

namespace korvanta::bench {

// Decodes the whole file to palette indexes, each frame into a buffer of its own (see
// wuffs_gif.h); returns the number of images. When frames is not NULL it receives each image's
// geometry and pixels in display order. Throws std::runtime_error with Wuffs' reason.
int WuffsDecode(std::span<const std::uint8_t> bytes, std::vector<Frame>* frames = nullptr);

}  // namespace korvanta::bench
