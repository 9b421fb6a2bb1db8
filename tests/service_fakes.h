// Fakes of the dialogs and the clipboard the document's commands and the pages ask through, a
// directory of its own for each test, and BMP bytes built field by field.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "fake_file_dialogs.h"
#include "model/image_convert_chooser.h"
#include "platform/clipboard.h"

namespace korvanta::test {

// A clipboard in memory. It checks that every open is closed again and that nothing touches the
// items while it is closed; m_bRefuseOpen plays another program holding it.
class FakeClipboard : public ClipboardService {
public:
    ~FakeClipboard() override { EXPECT_FALSE(m_bOpen) << "the clipboard was left open"; }

    ClipboardFormat RegisterClipboardFormat(const std::string& name) override
    {
        const auto [it, added] =
            m_registered.try_emplace(name, 0xC000 + static_cast<ClipboardFormat>(m_registered.size()));
        return it->second;
    }
    bool OpenClipboard() override
    {
        EXPECT_FALSE(m_bOpen) << "opened twice";
        if (m_bRefuseOpen)
            return false;
        ++m_nOpens;
        return m_bOpen = true;
    }
    void CloseClipboard() override
    {
        EXPECT_TRUE(m_bOpen);
        m_bOpen = false;
    }
    bool EmptyClipboard() override
    {
        EXPECT_TRUE(m_bOpen);
        m_items.clear();
        return true;
    }
    bool SetClipboardData(ClipboardFormat format, std::vector<std::uint8_t> data) override
    {
        EXPECT_TRUE(m_bOpen);
        m_items[format] = std::move(data);
        return true;
    }
    std::optional<std::vector<std::uint8_t>> GetClipboardData(ClipboardFormat format) override
    {
        EXPECT_TRUE(m_bOpen);
        const auto it = m_items.find(format);
        return it == m_items.end() ? std::nullopt : std::optional(it->second);
    }
    bool IsClipboardFormatAvailable(ClipboardFormat format) override { return m_items.count(format) != 0; }

    ClipboardFormat PrivateFormat() { return RegisterClipboardFormat(kClipFormatName); }

    std::map<ClipboardFormat, std::vector<std::uint8_t>> m_items;
    std::map<std::string, ClipboardFormat> m_registered;
    bool m_bOpen = false;
    bool m_bRefuseOpen = false;
    int m_nOpens = 0;
};

// Answers the image-convert dialog with a fixed choice (nothing: Cancel) and counts the asks.
class FakeConvertChooser : public ImageConvertChooser {
public:
    std::optional<PaletteFitMode> ChooseConvert() override
    {
        ++m_nAsked;
        return m_answer;
    }
    std::optional<PaletteFitMode> m_answer = kKeepIndices;
    int m_nAsked = 0;
};

// A directory of its own for each test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::temp_directory_path() /
                (std::string("korvanta-") + info->test_suite_name() + "-" + info->name() + "-" +
                 std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(m_dir, error);
    }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

inline std::vector<std::uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A packed bitmap (no file header) of the given depth: pixels[y][x] are the indices (or, at
// 24 bits, grey levels; other depths leave the rows zero), top row first; colour i of the table is (red i,
// green 255 - i, blue 3i).
struct DibLayout {
    std::uint32_t headerSize = 40;
    int width = 3;
    int height = 2;  // negative: rows stored top row first
    int bitCount = 8;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    int tableEntries = -1;  // -1: as many as the bitmap uses
    std::vector<std::vector<int>> pixels;
};

inline void PutLE(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::vector<std::uint8_t> DibBytes(const DibLayout& s)
{
    std::vector<std::uint8_t> out(s.headerSize, 0);
    PutLE(out, 0, s.headerSize, 4);
    PutLE(out, 4, static_cast<std::uint32_t>(s.width), 4);
    PutLE(out, 8, static_cast<std::uint32_t>(s.height), 4);
    PutLE(out, 12, 1, 2);
    PutLE(out, 14, static_cast<std::uint32_t>(s.bitCount), 2);
    PutLE(out, 16, s.compression, 4);
    PutLE(out, 32, s.colorsUsed, 4);
    const int entries = s.tableEntries >= 0 ? s.tableEntries
                        : s.colorsUsed != 0 ? static_cast<int>(s.colorsUsed)
                        : s.bitCount <= 8   ? 1 << s.bitCount
                                            : 0;
    for (int i = 0; i < entries; ++i) {
        out.push_back(static_cast<std::uint8_t>(3 * i));    // blue
        out.push_back(static_cast<std::uint8_t>(255 - i));  // green
        out.push_back(static_cast<std::uint8_t>(i));        // red
        out.push_back(0);
    }
    const int rows = s.height < 0 ? -s.height : s.height;
    const std::size_t rowBytes =
        (static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.bitCount) + 31) / 32 * 4;
    PutLE(out, 20, static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(rows)), 4);  // biSizeImage
    for (int r = 0; r < rows; ++r) {
        const int y = s.height < 0 ? r : rows - 1 - r;  // image row held by stored row r
        std::vector<std::uint8_t> row(rowBytes, 0);
        for (int x = 0; x < s.width; ++x) {
            const int v = s.pixels.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x));
            const auto j = static_cast<std::size_t>(x);
            switch (s.bitCount) {
                case 1:
                    row[j / 8] = static_cast<std::uint8_t>(row[j / 8] | ((v & 1) << (7 - j % 8)));
                    break;
                case 4:
                    row[j / 2] =
                        static_cast<std::uint8_t>(row[j / 2] | (j % 2 == 0 ? (v & 15) << 4 : v & 15));
                    break;
                case 8:
                    row[j] = static_cast<std::uint8_t>(v);
                    break;
                case 24:
                    row[3 * j] = row[3 * j + 1] = row[3 * j + 2] = static_cast<std::uint8_t>(v);
                    break;
                default:  // depths a bitmap should not have: the rows stay zero
                    break;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// The same bitmap as a BMP file: a 14-byte file header in front.
inline std::vector<std::uint8_t> BmpFileBytes(const DibLayout& s)
{
    const std::vector<std::uint8_t> dib = DibBytes(s);
    const int entries = s.tableEntries >= 0 ? s.tableEntries
                        : s.colorsUsed != 0 ? static_cast<int>(s.colorsUsed)
                        : s.bitCount <= 8   ? 1 << s.bitCount
                                            : 0;
    std::vector<std::uint8_t> out(14 + dib.size(), 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLE(out, 2, static_cast<std::uint32_t>(14 + dib.size()), 4);
    PutLE(out, 10, static_cast<std::uint32_t>(14 + s.headerSize + 4 * static_cast<std::uint32_t>(entries)),
          4);
    // Copied into place: an insert here draws a false -Warray-bounds from GCC 12 at -O3.
    std::copy(dib.begin(), dib.end(), out.begin() + 14);
    return out;
}

// pixels[y][x] = f(x, y) for a width x height picture.
template <class F>
std::vector<std::vector<int>> Pixels(int width, int height, F f)
{
    std::vector<std::vector<int>> rows(static_cast<std::size_t>(height),
                                       std::vector<int>(static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = f(x, y);
    return rows;
}

}  // namespace korvanta::test
