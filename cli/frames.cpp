#include "cli/frames.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/cli_doc.h"
#include "imaging/dib.h"
#include "model/gif_doc.h"
#include "platform/exceptions.h"
#include "player/animation_player.h"
#include "player/display_palette.h"
#include "player/frame_timeline.h"

namespace korvanta {

namespace {

int FramesUsageError(const std::string& problem)
{
    std::cerr << "korvanta-cli: " << problem
              << "\n\nusage: korvanta-cli frames IN OUTDIR [--passes N] [--display-dither]\n";
    return 2;
}

std::string FrameFileName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.ppm", index);
    return name;
}

// The picture as binary PPM, rows top first, red, green, blue: the canvas itself, or the
// display picture through the 236 display colours.
bool WritePpm(const std::filesystem::path& path, const AnimationPlayer& player, bool display)
{
    const PackedDib& dib = display ? player.m_hDisplay : player.m_hCanvas;
    if (!dib)
        return false;
    const int width = PackedDibWidth(*dib);
    const int height = PackedDibHeight(*dib);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n" << width << " " << height << "\n255\n";
    std::vector<char> line(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height && out; ++y) {
        const std::uint8_t* row = PackedDibRow(*dib, y);
        for (int x = 0; x < width; ++x) {
            char* rgb = line.data() + static_cast<std::size_t>(x) * 3;
            if (display) {
                const PALETTEENTRY e = DisplayPaletteEntry(row[x]);
                rgb[0] = static_cast<char>(e.peRed);
                rgb[1] = static_cast<char>(e.peGreen);
                rgb[2] = static_cast<char>(e.peBlue);
            } else {
                rgb[0] = static_cast<char>(row[x * 3 + 2]);
                rgb[1] = static_cast<char>(row[x * 3 + 1]);
                rgb[2] = static_cast<char>(row[x * 3]);
            }
        }
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    out.close();
    return !out.fail();
}

}  // namespace

int RunFrames(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    int passes = 1;
    bool display = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--display-dither") {
            display = true;
        } else if (args[i] == "--passes") {
            if (++i == args.size())
                return FramesUsageError("--passes needs a number");
            const std::string& text = args[i];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), passes);
            if (error != std::errc() || end != text.data() + text.size() || passes < 1)
                return FramesUsageError("--passes takes a whole number of at least 1, not '" + text + "'");
        } else if (args[i].starts_with("--")) {
            return FramesUsageError("unknown option '" + args[i] + "'");
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2)
        return FramesUsageError("frames takes IN and OUTDIR");
    const std::string& in = files[0];
    const std::filesystem::path outDir = files[1];

    CliDoc doc;
    if (!OpenOrFail(doc, in))
        return 1;
    PrintWarnings(doc, in);

    AnimationPlayer player(&doc);
    if (!player.Create())
        return Fail(in, "論理画面の大きさのアニメーション画像を用意できません。");
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec || !std::filesystem::is_directory(outDir))
        return Fail(outDir.string(), "出力フォルダを作れません。");

    int status = 0;
    PlayTimeline(player, passes, [&](const FrameEvent& frame) {
        if (display)
            player.DitherToDisplay();
        const std::filesystem::path path = outDir / FrameFileName(frame.index);
        if (!WritePpm(path, player, display)) {
            status = Fail(path.string(), "書き込めませんでした。");
            return false;
        }
        std::cout << "frame=" << frame.index << " block=" << frame.block << " delay=" << frame.delay
                  << " build=" << frame.build << "\n";
        return true;
    });
    return status;
}

}  // namespace korvanta
