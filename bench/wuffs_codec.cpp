#include "wuffs_codec.h"

#include <stdexcept>
#include <string>

#include "wuffs_gif.h"

namespace korvanta::bench {

namespace {

// Keeps a copy of the frame. Wuffs does not report the interlace flag; the caller compares
// geometry without it.
void KeepFrame(void* context, int left, int top, int width, int height, const std::uint8_t* pixels)
{
    Frame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    static_cast<std::vector<Frame>*>(context)->push_back(std::move(frame));
}

}  // namespace

int WuffsDecode(std::span<const std::uint8_t> bytes, std::vector<Frame>* frames)
{
    int count = 0;
    const char* failure = KorvantaWuffsDecode(bytes.data(), bytes.size(),
                                              frames != nullptr ? KeepFrame : nullptr, frames, &count);
    if (failure != nullptr)
        throw std::runtime_error(std::string("wuffs: ") + failure);
    return count;
}

}  // namespace korvanta::bench
