// korvanta-bench: decodes generated GIFs with our reader, giflib and Wuffs, encodes them with our
// writer and giflib, and times our dither. Before anything is timed, each encoder's output is
// decoded by every decoder and compared pixel for pixel with the generated image, so a fault of
// any codec stops the run instead of producing a fast wrong number.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench_images.h"
#include "giflib_codec.h"
#include "imaging/dib.h"
#include "imaging/palette_fit.h"
#include "korvanta_codec.h"
#include "model/gif_header_block.h"
#include "tests/reference_dither.h"
#include "wuffs_codec.h"

namespace korvanta::bench {

namespace {

struct CodecCase {
    BenchImage image;
    std::unique_ptr<CGIFDoc> doc;
    std::vector<std::uint8_t> ourBytes;
    std::vector<std::uint8_t> giflibBytes;
};

std::string Geometry(const Frame& f)
{
    return std::to_string(f.width) + "x" + std::to_string(f.height) + " at (" + std::to_string(f.left) + "," +
           std::to_string(f.top) + ")" + (f.interlaced ? " interlaced" : "");
}

// Empty when the frames agree; else where they first differ.
std::string FirstDifference(const std::vector<Frame>& have, const std::vector<Frame>& want)
{
    if (have.size() != want.size())
        return std::to_string(have.size()) + " images, want " + std::to_string(want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const Frame& h = have[i];
        const Frame& w = want[i];
        const std::string where = "image " + std::to_string(i + 1) + " of " + std::to_string(want.size());
        if (Geometry(h) != Geometry(w))
            return where + " is " + Geometry(h) + ", want " + Geometry(w);
        for (int y = 0; y < w.height; ++y) {
            if (std::memcmp(h.Row(y), w.Row(y), static_cast<std::size_t>(w.width)) == 0)
                continue;
            for (int x = 0; x < w.width; ++x) {
                if (h.Row(y)[x] != w.Row(y)[x])
                    return where + ", row " + std::to_string(y) + ", column " + std::to_string(x) +
                           ": index " + std::to_string(h.Row(y)[x]) + ", want " + std::to_string(w.Row(y)[x]);
            }
        }
    }
    return {};
}

// Wuffs does not report the interlace flag; its frames take the flags of the frames they are
// compared with, so that only geometry and pixels count.
std::vector<Frame> WuffsFrames(std::span<const std::uint8_t> bytes, const std::vector<Frame>& reference)
{
    std::vector<Frame> frames;
    WuffsDecode(bytes, &frames);
    for (std::size_t i = 0; i < frames.size() && i < reference.size(); ++i)
        frames[i].interlaced = reference[i].interlaced;
    return frames;
}

void Expect(const std::vector<Frame>& have, const std::vector<Frame>& want, const std::string& what)
{
    const std::string difference = FirstDifference(have, want);
    if (!difference.empty())
        throw std::runtime_error(what + ": " + difference);
}

// Encodes the image with both encoders and checks every decoding of every output. giflib's round
// trip comes first: if it fails, the fault is in this program, not in either codec.
void CrossCheck(CodecCase& c)
{
    const std::string& name = c.image.name;
    c.ourBytes = KorvantaEncode(*c.doc);
    c.giflibBytes = GiflibEncode(c.image);
    std::vector<Frame> giflibOfGiflib;
    GiflibDecode(c.giflibBytes, &giflibOfGiflib);
    Expect(giflibOfGiflib, c.image.frames,
           name + ": giflib does not read back its own file (fault of the benchmark)");
    Expect(KorvantaDecodeFrames(c.giflibBytes), giflibOfGiflib,
           name + ": our reader and giflib decode giflib's file differently");
    Expect(WuffsFrames(c.giflibBytes, giflibOfGiflib), giflibOfGiflib,
           name + ": Wuffs and giflib decode giflib's file differently");
    std::vector<Frame> giflibOfOurs;
    GiflibDecode(c.ourBytes, &giflibOfOurs);
    Expect(giflibOfOurs, c.image.frames,
           name + ": giflib decodes our writer's file to other pixels than were written");
    Expect(KorvantaDecodeFrames(c.ourBytes), c.image.frames,
           name + ": our reader decodes our writer's file to other pixels than were written");
    Expect(WuffsFrames(c.ourBytes, c.image.frames), c.image.frames,
           name + ": Wuffs decodes our writer's file to other pixels than were written");
}

CodecCase MakeCase(BenchImage image)
{
    CodecCase c;
    c.image = std::move(image);
    c.doc = BuildDocument(c.image);
    return c;
}

// Images checked but not timed: interlacing, small code sizes, an image smaller than the
// screen and placed away from its corner.
std::vector<CodecCase> CheckOnlyCases()
{
    std::vector<CodecCase> cases;
    BenchImage interlaced = MakePhotoImage(301, 203);
    interlaced.name += "_interlaced";
    interlaced.frames[0].interlaced = true;
    cases.push_back(MakeCase(std::move(interlaced)));
    for (const int colours : {2, 4, 16}) cases.push_back(MakeCase(MakeSmallPaletteImage(333, 17, colours)));
    BenchImage placed = MakeSmallPaletteImage(97, 61, 8);
    placed.name += "_placed";
    placed.screenWidth = 120;
    placed.screenHeight = 80;
    placed.frames[0].left = 13;
    placed.frames[0].top = 7;
    cases.push_back(MakeCase(std::move(placed)));
    return cases;
}

void SetRate(benchmark::State& state, std::uint64_t pixels)
{
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Both decoders read giflib's file: bytes that none of our own code produced.
void DecodeOurs(benchmark::State& state, CodecCase* c)
{
    CMemFile file(c->giflibBytes, "bench.gif");
    for (auto _ : state) {
        CGIFDoc doc(Headless());
        KorvantaDecode(file, doc);
        benchmark::DoNotOptimize(doc.GetBlockCount());
    }
    SetRate(state, c->image.PixelCount());
}

void DecodeGiflib(benchmark::State& state, CodecCase* c)
{
    for (auto _ : state) benchmark::DoNotOptimize(GiflibDecode(c->giflibBytes));
    SetRate(state, c->image.PixelCount());
}

void DecodeWuffs(benchmark::State& state, CodecCase* c)
{
    for (auto _ : state) benchmark::DoNotOptimize(WuffsDecode(c->giflibBytes));
    SetRate(state, c->image.PixelCount());
}

void EncodeOurs(benchmark::State& state, CodecCase* c)
{
    for (auto _ : state) {
        const std::vector<std::uint8_t> bytes = KorvantaEncode(*c->doc);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetRate(state, c->image.PixelCount());
}

void EncodeGiflib(benchmark::State& state, CodecCase* c)
{
    for (auto _ : state) {
        const std::vector<std::uint8_t> bytes = GiflibEncode(c->image);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetRate(state, c->image.PixelCount());
}

void RegisterCodecBenchmarks(CodecCase& c)
{
    using Function = void (*)(benchmark::State&, CodecCase*);
    const struct {
        const char* name;
        Function function;
    } kinds[] = {{"decode/%/ours", DecodeOurs},
                 {"decode/%/giflib", DecodeGiflib},
                 {"decode/%/wuffs", DecodeWuffs},
                 {"encode/%/ours", EncodeOurs},
                 {"encode/%/giflib", EncodeGiflib}};
    for (const auto& kind : kinds) {
        std::string name = kind.name;
        name.replace(name.find('%'), 1, c.image.name);
        benchmark::RegisterBenchmark(name.c_str(), kind.function, &c)->Unit(benchmark::kMillisecond);
    }
}

// The photo as the editor holds it: an 8-bit bitmap whose colour table is the image's palette.
PackedDib PhotoDib(const BenchImage& photo)
{
    const Frame& frame = photo.frames.at(0);
    PackedDib dib = NewPackedDib(frame.width, frame.height, 8);
    if (!dib)
        throw std::runtime_error("no memory for the dither's bitmap");
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(PackedDibRow(*dib, y), frame.Row(y), static_cast<std::size_t>(frame.width));
    std::uint8_t* table = PackedDibColorTable(*dib);
    for (std::size_t i = 0; i < photo.palette.size() && i < 256; ++i) {
        table[i * 4] = photo.palette[i].peBlue;
        table[i * 4 + 1] = photo.palette[i].peGreen;
        table[i * 4 + 2] = photo.palette[i].peRed;
    }
    return dib;
}

// Dithers onto the 3-3-2 default palette, a grid unlike the photo's 6-7-6 cube, so that
// nearly every pixel carries an error forward. Each pass starts from the original pixels. The
// baseline is the same dither with a search of the whole palette for every pixel.
void RegisterDitherBenchmarks(const std::string& prefix, const PackedDib& source, const HPALETTE& palette,
                              std::uint64_t pixels)
{
    benchmark::RegisterBenchmark((prefix + "ours").c_str(), [source, palette,
                                                             pixels](benchmark::State& state) {
        const PackedDib work = std::make_shared<DibBlock>(source->bytes());
        for (auto _ : state) {
            state.PauseTiming();
            std::memcpy(work->data(), source->data(), source->size());
            state.ResumeTiming();
            if (!DitherDibToPalette(work, palette)) {
                state.SkipWithError("DitherDibToPalette refused the bitmap");
                break;
            }
        }
        SetRate(state, pixels);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((prefix + "full_search").c_str(), [source, palette,
                                                                    pixels](benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(test::ReferenceDither(*source, *palette));
        SetRate(state, pixels);
    })->Unit(benchmark::kMillisecond);
}

// The faster search must give every pixel the index the whole palette's search gives.
bool DitherMatchesFullSearch(const PackedDib& source, const HPALETTE& palette)
{
    const PackedDib work = std::make_shared<DibBlock>(source->bytes());
    if (!DitherDibToPalette(work, palette))
        return false;
    const std::vector<std::uint8_t> want = test::ReferenceDither(*source, *palette);
    const int width = PackedDibWidth(*work);
    for (int y = 0; y < PackedDibHeight(*work); ++y) {
        const std::uint8_t* got = PackedDibRow(*work, y);
        if (!std::equal(got, got + width, want.begin() + static_cast<std::ptrdiff_t>(y) * width))
            return false;
    }
    return true;
}

// The console table as usual, and each benchmark's megapixels per second kept for the summary:
// the median when repetitions were asked for, else the mean of the runs.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(OutputOptions options) : benchmark::ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto counter = run.counters.find("MP/s");
            if (run.error_occurred || counter == run.counters.end())
                continue;
            Rate& rate = m_rates[run.run_name.function_name];
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    rate.median = counter->second.value;
            } else {
                rate.sum += counter->second.value;
                ++rate.runs;
            }
        }
    }

    // Megapixels per second of the benchmark; negative when it did not run.
    double MegapixelsPerSecond(const std::string& name) const
    {
        const auto it = m_rates.find(name);
        if (it == m_rates.end())
            return -1;
        if (it->second.median >= 0)
            return it->second.median;
        return it->second.runs > 0 ? it->second.sum / it->second.runs : -1;
    }

private:
    struct Rate {
        double median = -1;
        double sum = 0;
        int runs = 0;
    };
    std::map<std::string, Rate> m_rates;
};

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

struct Baseline {
    std::string label;  // giflib, wuffs, full_search
    std::string benchmark;
};

// One line: our rate, each baseline's, and ours over each. Returns ours over the last baseline,
// negative when either did not run.
double PrintCase(const SummaryReporter& reporter, const std::string& caseName, const std::string& ours,
                 const std::vector<Baseline>& baselines)
{
    const double o = reporter.MegapixelsPerSecond(ours);
    if (o < 0)
        return -1;
    std::string line = "CASE " + caseName + " ours=" + Fixed(o, 1) + " MP/s";
    std::string ratios;
    double ratio = -1;
    for (const Baseline& baseline : baselines) {
        const double b = reporter.MegapixelsPerSecond(baseline.benchmark);
        ratio = o > 0 && b > 0 ? o / b : -1;
        line += " " + baseline.label + "=" + (b >= 0 ? Fixed(b, 1) : "-") + " MP/s";
        ratios += " ours/" + baseline.label + "=" + (ratio > 0 ? Fixed(ratio, 2) : "-");
    }
    std::cout << line << ratios << '\n';
    return ratio;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

int Main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    bool checkOnly = false;
    std::string writeDirectory;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--check-only") {
            checkOnly = true;
        } else if (argument.starts_with("--write-files=") && argument.size() > 14) {
            writeDirectory = argument.substr(14);
        } else if (argument.starts_with("--cases=") && argument.size() > 8) {
            only = argument.substr(8);
        } else {
            std::cerr << "korvanta-bench: unknown argument " << argument
                      << "\nusage: korvanta-bench [--check-only] [--write-files=DIR] [--cases=TEXT] "
                         "[--benchmark_...]\n";
            return 2;
        }
    }

    std::vector<CodecCase> timed;
    timed.push_back(MakeCase(MakeNoiseImage(2000, 2000)));
    timed.push_back(MakeCase(MakePhotoImage(1024, 768)));
    timed.push_back(MakeCase(MakeAnimation(640, 480, 100)));
    timed.push_back(MakeCase(MakeFlatImage(1024, 768)));
    timed.push_back(MakeCase(MakePhoto16Image(1024, 768)));
    timed.push_back(MakeCase(MakeTwoColourImage(1024, 768)));
    timed.push_back(MakeCase(MakeSpriteAnimation(480, 360, 380)));
    for (const int size : {1, 16, 32}) timed.push_back(MakeCase(MakeTinyImage(size)));
    std::vector<CodecCase> checked = CheckOnlyCases();
    if (!only.empty()) {
        // Only the cases whose names hold the text are checked and timed, and nothing else.
        std::erase_if(timed,
                      [&](const CodecCase& c) { return c.image.name.find(only) == std::string::npos; });
        checked.clear();
    }

    try {
        for (std::vector<CodecCase>* cases : {&timed, &checked}) {
            for (CodecCase& c : *cases) {
                CrossCheck(c);
                std::cout << "CHECK " << c.image.name << " ok: " << c.image.frames.size() << " image(s), "
                          << Fixed(static_cast<double>(c.image.PixelCount()) / 1e6, 2)
                          << " MP; file from our writer " << c.ourBytes.size() << " bytes, from giflib "
                          << c.giflibBytes.size() << " bytes"
                          << (c.ourBytes == c.giflibBytes ? " (the same bytes)" : "")
                          << "; all three decoders agree with the pixels\n";
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "korvanta-bench: cross-check failed: " << e.what() << '\n';
        return 1;
    }
    // The dither works on the photo, when it is among the cases.
    const auto photoCase = std::find_if(timed.begin(), timed.end(),
                                        [](const CodecCase& c) { return c.image.name == "photo_1024x768"; });
    const BenchImage* photo = photoCase != timed.end() ? &photoCase->image : nullptr;
    const PackedDib photoDib = photo != nullptr ? PhotoDib(*photo) : nullptr;
    const HPALETTE defaultPalette = CreateDefaultPalette();
    if (photo != nullptr) {
        if (!DitherMatchesFullSearch(photoDib, defaultPalette)) {
            std::cerr << "korvanta-bench: cross-check failed: " << photo->name
                      << ": the dither's index differs from the whole palette's search\n";
            return 1;
        }
        std::cout << "CHECK dither " << photo->name << " ok: every index is the whole palette's search's\n";
    }
    if (!writeDirectory.empty()) {
        for (std::vector<CodecCase>* cases : {&timed, &checked}) {
            for (const CodecCase& c : *cases) {
                const std::string stem = writeDirectory + "/" + c.image.name;
                if (!WriteFile(stem + ".ours.gif", c.ourBytes) ||
                    !WriteFile(stem + ".giflib.gif", c.giflibBytes)) {
                    std::cerr << "korvanta-bench: cannot write " << stem << ".*.gif\n";
                    return 1;
                }
            }
        }
    }
    if (checkOnly)
        return 0;

    for (CodecCase& c : timed) RegisterCodecBenchmarks(c);
    if (photo != nullptr)
        RegisterDitherBenchmarks("dither/" + photo->name + "/", photoDib, defaultPalette,
                                 photo->PixelCount());

    SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                   : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout << '\n';
    // The slowest decode against Wuffs, the goal being at least 1.
    std::string slowest;
    double slowestRatio = -1;
    for (const CodecCase& c : timed) {
        const std::string prefix = "decode/" + c.image.name + "/";
        const double ratio = PrintCase(reporter, "decode_" + c.image.name, prefix + "ours",
                                       {{"giflib", prefix + "giflib"}, {"wuffs", prefix + "wuffs"}});
        if (ratio > 0 && (slowestRatio < 0 || ratio < slowestRatio)) {
            slowestRatio = ratio;
            slowest = c.image.name;
        }
    }
    for (const CodecCase& c : timed) {
        const std::string prefix = "encode/" + c.image.name + "/";
        PrintCase(reporter, "encode_" + c.image.name, prefix + "ours", {{"giflib", prefix + "giflib"}});
    }
    if (photo != nullptr)
        PrintCase(reporter, "dither_1024x768", "dither/" + photo->name + "/ours",
                  {{"full_search", "dither/" + photo->name + "/full_search"}});
    if (slowestRatio > 0)
        std::cout << "SUMMARY decode ours/wuffs lowest=" << Fixed(slowestRatio, 2) << " (" << slowest
                  << ")\n";
    benchmark::Shutdown();
    return 0;
}

}  // namespace
}  // namespace korvanta::bench

int main(int argc, char** argv)
{
    return korvanta::bench::Main(argc, argv);
}
