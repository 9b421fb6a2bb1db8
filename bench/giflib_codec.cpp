#include "giflib_codec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <gif_lib.h>
#include <memory>
#include <stdexcept>
#include <string>

namespace korvanta::bench {

namespace {

[[noreturn]] void Fail(const char* what, int error)
{
    const char* reason = GifErrorString(error);
    throw std::runtime_error(std::string("giflib: ") + what + ": " +
                             (reason != nullptr ? reason : "unknown error"));
}

struct MemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(count, 0)), reader->bytes.size() - reader->position);
    std::memcpy(buffer, reader->bytes.data() + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + std::max(count, 0));
    return count;
}

struct DecoderCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// Closing an encoder writes the trailer; the normal path closes it by hand to see the result,
// this one only runs when an exception leaves the encoder open.
struct EncoderCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

void PutLoopExtension(GifFileType* gif)
{
    static constexpr std::array<GifByteType, 11> kIdentifier{'N', 'E', 'T', 'S', 'C', 'A',
                                                             'P', 'E', '2', '.', '0'};
    static constexpr std::array<GifByteType, 3> kLoopForever{1, 0, 0};
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, static_cast<int>(kIdentifier.size()), kIdentifier.data()) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, static_cast<int>(kLoopForever.size()), kLoopForever.data()) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR)
        Fail("loop extension", gif->Error);
}

void PutControlExtension(GifFileType* gif, int delay)
{
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    std::array<GifByteType, 4> bytes{};
    EGifGCBToExtension(&control, bytes.data());
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(bytes.size()), bytes.data()) ==
        GIF_ERROR)
        Fail("graphic control extension", gif->Error);
}

}  // namespace

std::vector<std::uint8_t> GiflibEncode(BenchImage& image)
{
    std::vector<std::uint8_t> out;
    int error = 0;
    std::unique_ptr<GifFileType, EncoderCloser> gif(EGifOpen(&out, WriteToMemory, &error));
    if (!gif)
        Fail("EGifOpen", error);
    EGifSetGifVersion(gif.get(), true);

    std::vector<GifColorType> colours;
    for (const PALETTEENTRY& e : image.palette) colours.push_back(GifColorType{e.peRed, e.peGreen, e.peBlue});
    const std::unique_ptr<ColorMapObject, MapFreer> map(
        GifMakeMapObject(static_cast<int>(colours.size()), colours.data()));
    if (!map)
        throw std::runtime_error("giflib: GifMakeMapObject refused a palette of " +
                                 std::to_string(colours.size()) + " colours");
    // The screen descriptor keeps a copy of the map.
    if (EGifPutScreenDesc(gif.get(), image.screenWidth, image.screenHeight, 8, 0, map.get()) == GIF_ERROR)
        Fail("EGifPutScreenDesc", gif->Error);
    if (image.animated)
        PutLoopExtension(gif.get());

    for (Frame& frame : image.frames) {
        if (image.animated)
            PutControlExtension(gif.get(), image.delay);
        if (EGifPutImageDesc(gif.get(), frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                             nullptr) == GIF_ERROR)
            Fail("EGifPutImageDesc", gif->Error);
        // giflib leaves the interlace order to the caller. It is spelled out here rather than
        // taken from our writer, so that a fault in ours cannot hide in both files.
        static constexpr std::array<int, 4> kFirstRow{0, 4, 2, 1};
        static constexpr std::array<int, 4> kRowStep{8, 8, 4, 2};
        const int passes = frame.interlaced ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int first = frame.interlaced ? kFirstRow[static_cast<std::size_t>(pass)] : 0;
            const int step = frame.interlaced ? kRowStep[static_cast<std::size_t>(pass)] : 1;
            for (int y = first; y < frame.height; y += step) {
                if (EGifPutLine(gif.get(), frame.Row(y), frame.width) == GIF_ERROR)
                    Fail("EGifPutLine", gif->Error);
            }
        }
    }
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR)
        Fail("EGifCloseFile", error);
    return out;
}

int GiflibDecode(std::span<const std::uint8_t> bytes, std::vector<Frame>* frames)
{
    MemoryReader reader{bytes};
    int error = 0;
    const std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif)
        Fail("DGifOpen", error);
    if (DGifSlurp(gif.get()) == GIF_ERROR)
        Fail("DGifSlurp", gif->Error);
    if (frames != nullptr) {
        frames->clear();
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& saved = gif->SavedImages[i];
            Frame frame;
            frame.left = saved.ImageDesc.Left;
            frame.top = saved.ImageDesc.Top;
            frame.width = saved.ImageDesc.Width;
            frame.height = saved.ImageDesc.Height;
            frame.interlaced = saved.ImageDesc.Interlace;
            const std::size_t size =
                static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
            frame.pixels.assign(saved.RasterBits, saved.RasterBits + size);
            frames->push_back(std::move(frame));
        }
    }
    return gif->ImageCount;
}

}  // namespace korvanta::bench
