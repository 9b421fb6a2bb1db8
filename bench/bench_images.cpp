#include "bench_images.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korvanta::bench {

namespace {

// xorshift64*: fast, and the same sequence on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed | 1) {}
    std::uint32_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return static_cast<std::uint32_t>((m_state * 0x2545F4914F6CDD1Dull) >> 32);
    }

private:
    std::uint64_t m_state;
};

std::uint8_t Byte(double value)
{
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(value)), 0, 255));
}

Frame NewFrame(int width, int height)
{
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return frame;
}

// Position at time t of a point that starts at start, moves by speed a frame and bounces off
// 0 and range.
int Bounce(int start, int speed, int t, int range)
{
    if (range <= 0)
        return 0;
    int p = (start + speed * t) % (2 * range);
    if (p < 0)
        p += 2 * range;
    return p > range ? 2 * range - p : p;
}

// 0..15 background blues, 16..95 five balls of 16 shades, 96..143 three bars of 16 shades, the
// rest a grey ramp nobody uses.
std::vector<PALETTEENTRY> AnimationPalette()
{
    std::vector<PALETTEENTRY> palette;
    for (int i = 0; i < 16; ++i)
        palette.push_back(PALETTEENTRY{Byte(20 + i * 4), Byte(40 + i * 6), Byte(120 + i * 8), 0});
    static constexpr std::array<std::array<int, 3>, 8> kHues{{
        {255, 80, 60},
        {250, 200, 40},
        {80, 220, 90},
        {90, 120, 255},
        {230, 90, 230},
        {240, 140, 30},
        {40, 200, 200},
        {200, 200, 200},
    }};
    for (const auto& hue : kHues) {
        for (int shade = 0; shade < 16; ++shade) {
            const double light = 1.0 - shade / 20.0;
            palette.push_back(
                PALETTEENTRY{Byte(hue[0] * light), Byte(hue[1] * light), Byte(hue[2] * light), 0});
        }
    }
    while (palette.size() < 256) {
        const auto v = static_cast<std::uint8_t>(palette.size());
        palette.push_back(PALETTEENTRY{v, v, v, 0});
    }
    return palette;
}

}  // namespace

std::uint64_t BenchImage::PixelCount() const
{
    std::uint64_t sum = 0;
    for (const Frame& frame : frames)
        sum += static_cast<std::uint64_t>(frame.width) * static_cast<std::uint64_t>(frame.height);
    return sum;
}

BenchImage MakeNoiseImage(int width, int height)
{
    BenchImage image;
    image.name = "noise_" + std::to_string(width) + "x" + std::to_string(height);
    image.screenWidth = width;
    image.screenHeight = height;
    for (int i = 0; i < 256; ++i)
        image.palette.push_back(PALETTEENTRY{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                                             static_cast<std::uint8_t>(i * 13), 0});
    Frame frame = NewFrame(width, height);
    Random random(0x6E6F697365ull);
    for (std::uint8_t& p : frame.pixels) p = static_cast<std::uint8_t>(random.Next() >> 24);
    image.frames.push_back(std::move(frame));
    return image;
}

namespace {

// The photo's colour at (x, y) before quantizing, grain included: smooth gradients and soft
// blobs. One random draw a pixel, in row order.
struct PhotoScene {
    int width;
    int height;
    Random random{0x70686F746Full};

    std::array<double, 3> Colour(int x, int y)
    {
        struct Blob {
            double x, y, radius, red, green, blue;
        };
        static constexpr std::array<Blob, 5> kBlobs{{
            {0.25, 0.70, 0.22, 60, 140, 40},    // foliage
            {0.70, 0.65, 0.30, 120, 90, 60},    // earth
            {0.80, 0.20, 0.08, 255, 240, 200},  // sun
            {0.45, 0.40, 0.15, 200, 120, 110},  // skin
            {0.10, 0.15, 0.12, 230, 230, 240},  // cloud
        }};
        const double fx = static_cast<double>(x) / width;
        const double fy = static_cast<double>(y) / height;
        // Sky above, ground below.
        double red = 70 + 120 * fy;
        double green = 110 + 60 * std::sin(3.0 * fx + 2.0 * fy);
        double blue = 220 - 170 * fy;
        for (const Blob& blob : kBlobs) {
            const double dx = (fx - blob.x) * width / height;
            const double dy = fy - blob.y;
            const double weight = std::exp(-(dx * dx + dy * dy) / (blob.radius * blob.radius));
            red += (blob.red - red) * weight;
            green += (blob.green - green) * weight;
            blue += (blob.blue - blue) * weight;
        }
        // Grain of the surface and of the film.
        const double texture =
            10 * std::sin(x * 0.37) * std::sin(y * 0.29) + static_cast<double>(random.Next() >> 27) - 16.0;
        return {red + texture, green + texture, blue + texture};
    }
};

// The photo quantized to a colour cube of the given levels: index (r * greens + g) * blues + b,
// then greys up to the next power of two.
BenchImage MakeCubePhoto(std::string name, int width, int height, int reds, int greens, int blues)
{
    BenchImage image;
    image.name = std::move(name);
    image.screenWidth = width;
    image.screenHeight = height;
    for (int r = 0; r < reds; ++r)
        for (int g = 0; g < greens; ++g)
            for (int b = 0; b < blues; ++b)
                image.palette.push_back(PALETTEENTRY{Byte(r * 255.0 / (reds - 1)),
                                                     Byte(g * 255.0 / (greens - 1)),
                                                     Byte(b * 255.0 / (blues - 1)), 0});
    std::size_t size = 2;
    while (size < image.palette.size()) size *= 2;
    for (int i = 0; image.palette.size() < size; ++i)
        image.palette.push_back(PALETTEENTRY{Byte(40 + i * 50), Byte(40 + i * 50), Byte(40 + i * 50), 0});

    Frame frame = NewFrame(width, height);
    PhotoScene scene{width, height};
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = frame.Row(y);
        for (int x = 0; x < width; ++x) {
            const auto [red, green, blue] = scene.Colour(x, y);
            const int r = Byte(red) * reds / 256;
            const int g = Byte(green) * greens / 256;
            const int b = Byte(blue) * blues / 256;
            row[x] = static_cast<std::uint8_t>((r * greens + g) * blues + b);
        }
    }
    image.frames.push_back(std::move(frame));
    return image;
}

std::string Size(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

BenchImage MakePhotoImage(int width, int height)
{
    return MakeCubePhoto("photo_" + Size(width, height), width, height, 6, 7, 6);
}

BenchImage MakePhoto16Image(int width, int height)
{
    return MakeCubePhoto("photo16_" + Size(width, height), width, height, 2, 4, 2);
}

BenchImage MakeTwoColourImage(int width, int height)
{
    BenchImage image;
    image.name = "bilevel_" + Size(width, height);
    image.screenWidth = width;
    image.screenHeight = height;
    image.palette = {PALETTEENTRY{0, 0, 0, 0}, PALETTEENTRY{255, 255, 255, 0}};
    // Floyd-Steinberg on the photo's brightness: the error carried to the right and to the row
    // below, in row order.
    Frame frame = NewFrame(width, height);
    PhotoScene scene{width, height};
    std::vector<double> below(static_cast<std::size_t>(width) + 2, 0.0);
    for (int y = 0; y < height; ++y) {
        std::vector<double> current(below);
        std::fill(below.begin(), below.end(), 0.0);
        double right = 0;
        for (int x = 0; x < width; ++x) {
            const auto [red, green, blue] = scene.Colour(x, y);
            const double value = 0.3 * red + 0.59 * green + 0.11 * blue + current[x + 1] + right;
            const bool white = value >= 128;
            const double error = value - (white ? 255 : 0);
            frame.Row(y)[x] = white ? 1 : 0;
            right = error * 7 / 16;
            below[x] += error * 3 / 16;
            below[x + 1] += error * 5 / 16;
            below[x + 2] += error * 1 / 16;
        }
    }
    image.frames.push_back(std::move(frame));
    return image;
}

BenchImage MakeAnimation(int width, int height, int frameCount)
{
    BenchImage image;
    image.name =
        "anim_" + std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(frameCount);
    image.screenWidth = width;
    image.screenHeight = height;
    image.animated = true;
    image.palette = AnimationPalette();

    struct Ball {
        int x, y, radius, dx, dy;
    };
    static constexpr std::array<Ball, 5> kBalls{{
        {50, 60, 40, 7, 5},
        {300, 200, 60, -5, 3},
        {500, 100, 30, 9, -6},
        {150, 350, 50, 4, -4},
        {400, 300, 35, -8, -7},
    }};
    struct Bar {
        int x, y, width, height, dx;
    };
    static constexpr std::array<Bar, 3> kBars{
        {{0, 40, 40, 160, 6}, {200, 260, 60, 120, -4}, {450, 150, 30, 200, 3}}};

    for (int t = 0; t < frameCount; ++t) {
        Frame frame = NewFrame(width, height);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = frame.Row(y);
            for (int x = 0; x < width; ++x)
                row[x] = static_cast<std::uint8_t>(((x + y) / 24) % 8 + 8 * ((y / 120) % 2));
        }
        for (std::size_t i = 0; i < kBars.size(); ++i) {
            const Bar& bar = kBars[i];
            const int left = Bounce(bar.x, bar.dx, t, width - bar.width);
            for (int y = bar.y; y < std::min(height, bar.y + bar.height); ++y)
                std::fill_n(frame.Row(y) + left, bar.width,
                            static_cast<std::uint8_t>(96 + 16 * i + ((y - bar.y) / 10) % 16));
        }
        for (std::size_t i = 0; i < kBalls.size(); ++i) {
            const Ball& ball = kBalls[i];
            const int cx = ball.radius + Bounce(ball.x, ball.dx, t, width - 2 * ball.radius);
            const int cy = ball.radius + Bounce(ball.y, ball.dy, t, height - 2 * ball.radius);
            for (int y = std::max(0, cy - ball.radius); y < std::min(height, cy + ball.radius); ++y) {
                for (int x = std::max(0, cx - ball.radius); x < std::min(width, cx + ball.radius); ++x) {
                    const double d = std::hypot(x - cx, y - cy);
                    if (d < ball.radius)
                        frame.Row(y)[x] =
                            static_cast<std::uint8_t>(16 + 16 * i + static_cast<int>(d * 16 / ball.radius));
                }
            }
        }
        image.frames.push_back(std::move(frame));
    }
    return image;
}

BenchImage MakeFlatImage(int width, int height)
{
    BenchImage image;
    image.name = "flat_" + std::to_string(width) + "x" + std::to_string(height);
    image.screenWidth = width;
    image.screenHeight = height;
    static constexpr std::array<std::array<int, 3>, 16> kColours{{
        {255, 255, 255},
        {0, 0, 0},
        {230, 40, 40},
        {40, 160, 60},
        {40, 80, 220},
        {250, 210, 40},
        {250, 140, 30},
        {150, 60, 170},
        {120, 200, 230},
        {90, 90, 90},
        {190, 190, 190},
        {120, 70, 30},
        {250, 170, 190},
        {20, 110, 110},
        {200, 230, 150},
        {60, 30, 90},
    }};
    for (const auto& c : kColours)
        image.palette.push_back(PALETTEENTRY{Byte(c[0]), Byte(c[1]), Byte(c[2]), 0});

    // A chart or a cartoon: a few wide bands, then filled discs and boxes with black outlines.
    Frame frame = NewFrame(width, height);
    for (int y = 0; y < height; ++y)
        std::fill_n(frame.Row(y), width, static_cast<std::uint8_t>(y * 4 / height == 3 ? 14 : 0));
    Random random(0x666C6174ull);
    for (int shape = 0; shape < 40; ++shape) {
        const int cx = static_cast<int>(random.Next() % static_cast<std::uint32_t>(width));
        const int cy = static_cast<int>(random.Next() % static_cast<std::uint32_t>(height));
        const int size = 20 + static_cast<int>(random.Next() % 90);
        const auto colour = static_cast<std::uint8_t>(2 + random.Next() % 14);
        const bool disc = shape % 2 == 0;
        for (int y = std::max(0, cy - size); y < std::min(height, cy + size); ++y) {
            std::uint8_t* row = frame.Row(y);
            for (int x = std::max(0, cx - size); x < std::min(width, cx + size); ++x) {
                const int d = disc ? (x - cx) * (x - cx) + (y - cy) * (y - cy)
                                   : std::max(std::abs(x - cx), std::abs(y - cy)) * size;
                if (d < (size - 3) * (size - 3))
                    row[x] = colour;
                else if (d < size * size)
                    row[x] = 1;
            }
        }
    }
    image.frames.push_back(std::move(frame));
    return image;
}

BenchImage MakeSmallPaletteImage(int width, int height, int colours)
{
    BenchImage image;
    image.name =
        "small_" + std::to_string(width) + "x" + std::to_string(height) + "_" + std::to_string(colours);
    image.screenWidth = width;
    image.screenHeight = height;
    for (int i = 0; i < colours; ++i) {
        const std::uint8_t v = Byte(255.0 * i / std::max(1, colours - 1));
        image.palette.push_back(PALETTEENTRY{v, static_cast<std::uint8_t>(255 - v), v, 0});
    }
    Frame frame = NewFrame(width, height);
    Random random(0x736D616C6Cull + static_cast<std::uint64_t>(colours));
    for (std::uint8_t& p : frame.pixels)
        p = static_cast<std::uint8_t>(random.Next() % static_cast<std::uint32_t>(colours));
    image.frames.push_back(std::move(frame));
    return image;
}

BenchImage MakeSpriteAnimation(int width, int height, int frameCount)
{
    BenchImage image;
    image.name = "sprite_" + Size(width, height) + "x" + std::to_string(frameCount);
    image.screenWidth = width;
    image.screenHeight = height;
    image.animated = true;
    image.palette = AnimationPalette();
    constexpr int kRadius = 60;
    // The scene at time t, pixel (x, y): the striped background and a shaded ball.
    const auto pixel = [&](int t, int x, int y) {
        const int cx = kRadius + Bounce(20, 7, t, width - 2 * kRadius);
        const int cy = kRadius + Bounce(90, 5, t, height - 2 * kRadius);
        const double d = std::hypot(x - cx, y - cy);
        if (d < kRadius)
            return static_cast<std::uint8_t>(16 + static_cast<int>(d * 16 / kRadius));
        return static_cast<std::uint8_t>(((x + y) / 24) % 8 + 8 * ((y / 120) % 2));
    };
    for (int t = 0; t < frameCount; ++t) {
        // After the first frame, only the box the ball leaves and enters is sent.
        int left = 0;
        int top = 0;
        int right = width;
        int bottom = height;
        if (t > 0) {
            const int x0 = Bounce(20, 7, t - 1, width - 2 * kRadius);
            const int x1 = Bounce(20, 7, t, width - 2 * kRadius);
            const int y0 = Bounce(90, 5, t - 1, height - 2 * kRadius);
            const int y1 = Bounce(90, 5, t, height - 2 * kRadius);
            left = std::min(x0, x1);
            top = std::min(y0, y1);
            right = std::max(x0, x1) + 2 * kRadius;
            bottom = std::max(y0, y1) + 2 * kRadius;
        }
        Frame frame = NewFrame(right - left, bottom - top);
        frame.left = left;
        frame.top = top;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) frame.Row(y)[x] = pixel(t, left + x, top + y);
        image.frames.push_back(std::move(frame));
    }
    return image;
}

BenchImage MakeTinyImage(int size)
{
    if (size >= 32)
        return MakeCubePhoto("tiny_" + Size(size, size), size, size, 6, 7, 6);
    if (size >= 8)
        return MakeCubePhoto("tiny_" + Size(size, size), size, size, 2, 4, 2);
    BenchImage image;
    image.name = "tiny_" + Size(size, size);
    image.screenWidth = size;
    image.screenHeight = size;
    image.palette = {PALETTEENTRY{0, 0, 0, 0}, PALETTEENTRY{255, 255, 255, 0}};
    Frame frame = NewFrame(size, size);
    std::fill(frame.pixels.begin(), frame.pixels.end(), std::uint8_t{1});
    image.frames.push_back(std::move(frame));
    return image;
}

}  // namespace korvanta::bench
