// `korvanta-cli frames`: plays a GIF headless on a simulated clock and writes every frame as a
// PPM picture, with one timeline line a frame on stdout.
#pragma once

#include <string>
#include <vector>

namespace korvanta {

// args are the words after "frames": IN OUTDIR [--passes N] [--display-dither]. Returns the
// exit status: 0 done, 1 a file could not be read or written, 2 a usage error.
int RunFrames(const std::vector<std::string>& args);

}  // namespace korvanta
