#include "imaging/palette_fit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "imaging/dib.h"

namespace korvanta {

namespace {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// An 8-bit pixel names one of at most 256 colours.
constexpr int kIndexCount = 256;

bool IsFittable(const PackedDib& dib)
{
    return dib && PackedDibIsConsistent(*dib) && PackedDibBitCount(*dib) == 8;
}

// Colour entries are blue, green, red, reserved behind a 40-byte header and blue, green, red
// behind a core header.
std::size_t ColorStride(const DibBlock& dib)
{
    return PackedDibHeaderSize(dib) == kDibInfoHeaderSize ? 4 : 3;
}

// The palette the pixels may be mapped to. A bitmap whose colours-used field is below the
// palette's size receives only the palette's leading entries, so the search is limited to those;
// otherwise a pixel could name an entry that the colour table does not hold.
HPALETTE UsablePalette(const DibBlock& dib, const HPALETTE& palette)
{
    const int tableCount = PackedDibColorCount(dib);  // at least 1 for an 8-bit bitmap
    if (palette->GetEntryCount() <= tableCount)
        return palette;
    return CPalette::Create(palette->Entries().first(static_cast<std::size_t>(tableCount)));
}

// The colour of every value a pixel byte can hold. Values at or beyond the colour count (a
// colours-used field below 256) have no entry to read; they count as black, the colour they are
// painted in, rather than reading past the table into the pixels.
std::array<Rgb, kIndexCount> PixelColours(const DibBlock& dib)
{
    std::array<Rgb, kIndexCount> colours{};
    const std::uint8_t* table = PackedDibColorTable(dib);
    const std::size_t stride = ColorStride(dib);
    const int count = std::min(PackedDibColorCount(dib), kIndexCount);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* bgr = table + static_cast<std::size_t>(i) * stride;
        colours[static_cast<std::size_t>(i)] = Rgb{bgr[2], bgr[1], bgr[0]};
    }
    return colours;
}

int Nearest(const CPalette& palette, const Rgb& colour)
{
    return palette.GetNearestPaletteIndex(static_cast<std::uint8_t>(colour.red),
                                          static_cast<std::uint8_t>(colour.green),
                                          static_cast<std::uint8_t>(colour.blue));
}

// The palette's nearest entry, found without looking at every entry. The colour cube is cut
// into 16 x 16 x 16 cells; each cell keeps the entries that can be nearest to some colour in
// it: those whose least distance to the cell is at most the smallest greatest distance of any
// entry. An entry left out is farther from every colour of the cell than that entry, so the
// answer is exactly the palette's own: the smallest squared distance, the lowest index among
// equals (the candidates are kept in index order).
class GridPaletteSearch {
public:
    explicit GridPaletteSearch(const CPalette& palette) : m_palette(palette)
    {
        const int count = palette.GetEntryCount();
        std::vector<std::uint8_t> cell;
        for (int c = 0; c < kCells * kCells * kCells; ++c) {
            const int lo[3] = {(c >> 8) * kSpan, ((c >> 4) & 15) * kSpan, (c & 15) * kSpan};
            int bound = INT32_MAX;
            for (int i = 0; i < count; ++i) bound = std::min(bound, Farthest(palette[i], lo));
            m_offsets[static_cast<std::size_t>(c)] = static_cast<std::uint32_t>(m_candidates.size());
            for (int i = 0; i < count; ++i) {
                if (Closest(palette[i], lo) <= bound)
                    m_candidates.push_back(static_cast<std::uint8_t>(i));
            }
        }
        m_offsets.back() = static_cast<std::uint32_t>(m_candidates.size());
    }

    int Find(const Rgb& colour) const
    {
        const int c = ((colour.red / kSpan) << 8) | ((colour.green / kSpan) << 4) | (colour.blue / kSpan);
        int best = 0;
        int bestDistance = INT32_MAX;
        for (std::uint32_t k = m_offsets[static_cast<std::size_t>(c)];
             k < m_offsets[static_cast<std::size_t>(c) + 1]; ++k) {
            const PALETTEENTRY& e = m_palette[m_candidates[k]];
            const int dr = e.peRed - colour.red;
            const int dg = e.peGreen - colour.green;
            const int db = e.peBlue - colour.blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = m_candidates[k];
            }
        }
        return best;
    }

private:
    static constexpr int kCells = 16;
    static constexpr int kSpan = 256 / kCells;

    // Least and greatest squared distance from the entry to the cell starting at lo.
    static int Closest(const PALETTEENTRY& e, const int lo[3])
    {
        const int v[3] = {e.peRed, e.peGreen, e.peBlue};
        int sum = 0;
        for (int k = 0; k < 3; ++k) {
            const int d = v[k] < lo[k]               ? lo[k] - v[k]
                          : v[k] > lo[k] + kSpan - 1 ? v[k] - (lo[k] + kSpan - 1)
                                                     : 0;
            sum += d * d;
        }
        return sum;
    }
    static int Farthest(const PALETTEENTRY& e, const int lo[3])
    {
        const int v[3] = {e.peRed, e.peGreen, e.peBlue};
        int sum = 0;
        for (int k = 0; k < 3; ++k) {
            const int d = std::max(std::abs(v[k] - lo[k]), std::abs(v[k] - (lo[k] + kSpan - 1)));
            sum += d * d;
        }
        return sum;
    }

    const CPalette& m_palette;
    std::array<std::uint32_t, kCells * kCells * kCells + 1> m_offsets{};
    std::vector<std::uint8_t> m_candidates;
};

// Remembers the answer for recently seen colours. The key is the full 24-bit colour, so a hit
// returns exactly what the search would; only the slot is shared by colours of the same hash,
// and a colliding colour replaces the slot's answer.
class NearestIndexCache {
public:
    explicit NearestIndexCache(const CPalette& palette) : m_search(palette), m_slots(kSlotCount) {}

    std::uint8_t Find(const Rgb& colour)
    {
        const auto key = static_cast<std::uint32_t>((colour.red << 16) | (colour.green << 8) | colour.blue);
        Slot& slot = m_slots[(key * 0x9E3779B1u) >> (32 - kSlotBits)];
        if (slot.key != key) {
            slot.key = key;
            slot.index = static_cast<std::uint8_t>(m_search.Find(colour));
        }
        return slot.index;
    }

private:
    static constexpr int kSlotBits = 16;
    static constexpr std::size_t kSlotCount = std::size_t{1} << kSlotBits;
    // No 24-bit colour has this key, so an unused slot never hits.
    static constexpr std::uint32_t kUnused = 0xFFFFFFFFu;

    struct Slot {
        std::uint32_t key = kUnused;
        std::uint8_t index = 0;
    };

    GridPaletteSearch m_search;
    std::vector<Slot> m_slots;
};

int Clamp255(int value)
{
    return std::clamp(value, 0, 255);
}

void MapPixels(DibBlock& dib, const CPalette& palette)
{
    const std::array<Rgb, kIndexCount> colours = PixelColours(dib);
    const int count = std::min(PackedDibColorCount(dib), kIndexCount);
    // One palette query per colour-table entry; values beyond the table all share black's.
    std::array<std::uint8_t, kIndexCount> lookup{};
    for (int i = 0; i < count; ++i)
        lookup[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(Nearest(palette, colours[static_cast<std::size_t>(i)]));
    if (count < kIndexCount)
        std::fill(lookup.begin() + count, lookup.end(), static_cast<std::uint8_t>(Nearest(palette, Rgb{})));

    // The padding bytes of each row are mapped too; they are never shown.
    std::uint8_t* bits = PackedDibBits(dib);
    const std::size_t size = PackedDibRowBytes(dib) * static_cast<std::size_t>(PackedDibHeight(dib));
    for (std::size_t i = 0; i < size; ++i) bits[i] = lookup[bits[i]];
}

// Adds the error of one channel to its four neighbours. h and q are arithmetic shifts, rounding
// towards minus infinity, so the four parts sum to the error exactly: 7 gives 3 to the right and
// 1, 2, 1 below; -7 gives -1 to the right and -2, -2, -2 below.
void SpreadError(int error, int* belowLeft, int* below, int* belowRight, int* right)
{
    const int half = error >> 1;
    const int quarter = half >> 1;
    *belowLeft += quarter;
    *below += half - quarter;
    *belowRight += quarter;
    *right += error - half - quarter;
}

// Returns false, with the pixels unchanged, when the working memory cannot be had.
bool DitherPixels(DibBlock& dib, const CPalette& palette, ProgressFactory* progressFactory)
{
    const int width = PackedDibWidth(dib);
    const int height = PackedDibHeight(dib);
    const std::size_t rowBytes = PackedDibRowBytes(dib);

    // The result is built apart and copied back in one piece, so that a failure before the end
    // leaves the image as it was. Same width and depth, hence the same row bytes.
    PackedDib work = NewPackedDib(width, height, 8);
    if (!work)
        return false;
    // Two rows of red, green, blue errors. Slot k belongs to pixel k - 1: slots 0 and width + 1
    // take the errors that fall beside the image. width is bounded by the bitmap's own row bytes
    // (or the rows are empty), so the size is bounded too.
    const std::size_t slots = height == 0 ? 0 : (static_cast<std::size_t>(width) + 2) * 3;
    std::vector<int> current(slots, 0);
    std::vector<int> next(slots, 0);
    NearestIndexCache nearest(palette);
    const std::array<Rgb, kIndexCount> colours = PixelColours(dib);

    {
        std::unique_ptr<Progress> progress = progressFactory ? progressFactory->CreateProgress() : nullptr;
        if (progress)
            progress->SetRange(0, height);
        const std::uint8_t* sourceBits = PackedDibBits(dib);
        std::uint8_t* workBits = PackedDibBits(*work);
        // Memory order: the bottom row first, so the "next" row is the one above on screen.
        for (int row = 0; row < height; ++row) {
            if (progress)
                progress->SetPos(row + 1);
            std::fill(next.begin(), next.end(), 0);
            const std::uint8_t* source = sourceBits + static_cast<std::size_t>(row) * rowBytes;
            std::uint8_t* out = workBits + static_cast<std::size_t>(row) * rowBytes;
            for (int x = 0; x < width; ++x) {
                const std::size_t slot = (static_cast<std::size_t>(x) + 1) * 3;
                const Rgb& pixel = colours[source[x]];
                const Rgb wanted{Clamp255(pixel.red + current[slot]),
                                 Clamp255(pixel.green + current[slot + 1]),
                                 Clamp255(pixel.blue + current[slot + 2])};
                const std::uint8_t k = nearest.Find(wanted);
                out[x] = k;
                const PALETTEENTRY& got = palette[k];
                SpreadError(wanted.red - got.peRed, &next[slot - 3], &next[slot], &next[slot + 3],
                            &current[slot + 3]);
                SpreadError(wanted.green - got.peGreen, &next[slot - 2], &next[slot + 1], &next[slot + 4],
                            &current[slot + 4]);
                SpreadError(wanted.blue - got.peBlue, &next[slot - 1], &next[slot + 2], &next[slot + 5],
                            &current[slot + 5]);
            }
            current.swap(next);
        }
    }

    if (rowBytes != 0 && height != 0)
        std::memcpy(PackedDibBits(dib), PackedDibBits(*work), rowBytes * static_cast<std::size_t>(height));
    return true;
}

// Entries beyond the palette, and beyond the table, keep their colours; the reserved bytes
// keep their values.
void LoadColourTable(DibBlock& dib, std::span<const PALETTEENTRY> entries)
{
    std::uint8_t* table = PackedDibColorTable(dib);
    const std::size_t stride = ColorStride(dib);
    const std::size_t count = std::min(entries.size(), static_cast<std::size_t>(PackedDibColorCount(dib)));
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* bgr = table + i * stride;
        bgr[0] = entries[i].peBlue;
        bgr[1] = entries[i].peGreen;
        bgr[2] = entries[i].peRed;
    }
}

}  // namespace

std::vector<PALETTEENTRY> CopyLogPalette(const HPALETTE& palette)
{
    if (!palette)
        return {};
    try {
        const std::span<const PALETTEENTRY> entries = palette->Entries();
        return std::vector<PALETTEENTRY>(entries.begin(), entries.end());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool FitDibToPalette(const PackedDib& dib, const HPALETTE& palette, int mode, ProgressFactory* progress)
{
    if (!IsFittable(dib) || !palette)
        return false;
    // Everything that can fail comes before the first change; a dither that cannot run leaves
    // the colour table alone too, since new colours on the old indices would garble the image.
    try {
        const HPALETTE usable = UsablePalette(*dib, palette);
        if (!usable)
            return false;
        if (mode == kNearestColor)
            MapPixels(*dib, *usable);
        else if (mode == kDither && !DitherPixels(*dib, *usable, progress))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    LoadColourTable(*dib, palette->Entries());
    return true;
}

bool MapDibToNearest(const PackedDib& dib, const HPALETTE& palette)
{
    if (!IsFittable(dib) || !palette)
        return false;
    try {
        const HPALETTE usable = UsablePalette(*dib, palette);
        if (!usable)
            return false;
        MapPixels(*dib, *usable);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool DitherDibToPalette(const PackedDib& dib, const HPALETTE& palette, ProgressFactory* progress)
{
    if (!IsFittable(dib) || !palette)
        return false;
    try {
        const HPALETTE usable = UsablePalette(*dib, palette);
        return usable && DitherPixels(*dib, *usable, progress);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace korvanta
