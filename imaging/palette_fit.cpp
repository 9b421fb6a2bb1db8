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
// into cells; each cell keeps the entries that can be nearest to some colour in it: those
// whose least distance to the cell is at most the smallest greatest distance of any entry. An
// entry left out is farther from every colour of the cell than that entry, so the answer is
// exactly the palette's own: the smallest squared distance, the lowest index among equals (the
// candidates are kept in index order).
//
// There are two grids, 16 and 32 cells a side. A fine cell's list is short, and it is made
// from the list of the coarse cell around it, which holds every entry that can be nearest
// anywhere in the fine cell; a coarse cell's list is made from the whole palette. Lists are
// made the first time a colour falls in their cell: an image's colours, even dithered, meet
// only some of the cells.
class GridPaletteSearch {
public:
    explicit GridPaletteSearch(const CPalette& palette)
    {
        const int count = palette.GetEntryCount();
        for (int i = 0; i < count; ++i) {
            const PALETTEENTRY& e = palette[i];
            m_entries.push_back(Candidate{e.peRed, e.peGreen, e.peBlue, static_cast<std::uint8_t>(i)});
        }
    }

    int Find(const Rgb& colour)
    {
        const Cell& cell = FineCell(colour);
        // Distance and index in one key: the smallest key is the nearest entry, the lowest index
        // among equals, and taking a minimum needs no branch the colours could mispredict.
        int best = INT32_MAX;
        for (std::uint32_t k = cell.start; k < cell.start + cell.count; ++k) {
            const Candidate& e = m_candidates[k];
            const int dr = e.red - colour.red;
            const int dg = e.green - colour.green;
            const int db = e.blue - colour.blue;
            best = std::min(best, (dr * dr + dg * dg + db * db) << 8 | e.index);
        }
        return best & 0xFF;
    }

private:
    static constexpr std::uint32_t kUnbuilt = 0xFFFFFFFFu;

    struct Cell {
        std::uint32_t start = kUnbuilt;
        std::uint32_t count = 0;
    };
    struct Candidate {
        std::uint8_t red, green, blue, index;
    };

    template <int kBits>
    static std::size_t CellIndex(const Rgb& colour)
    {
        constexpr int shift = 8 - kBits;
        return static_cast<std::size_t>((colour.red >> shift) << (2 * kBits) |
                                        (colour.green >> shift) << kBits | (colour.blue >> shift));
    }

    const Cell& FineCell(const Rgb& colour)
    {
        Cell& fine = m_fine[CellIndex<5>(colour)];
        if (fine.start == kUnbuilt) {
            Cell& coarse = m_coarse[CellIndex<4>(colour)];
            if (coarse.start == kUnbuilt)
                coarse = Build(m_entries, colour, 4);
            // Build appends to m_candidates, which may move it: the coarse list goes by copy.
            std::array<Candidate, kIndexCount> from;
            const auto begin = m_candidates.begin() + coarse.start;
            std::copy(begin, begin + coarse.count, from.begin());
            fine = Build(std::span(from.data(), coarse.count), colour, 5);
        }
        return fine;
    }

    // Appends the candidates, chosen from `from`, for the cell of 2^bits a side that holds
    // colour.
    Cell Build(std::span<const Candidate> from, const Rgb& colour, int bits)
    {
        const int span = 1 << (8 - bits);
        const int lo[3] = {colour.red & -span, colour.green & -span, colour.blue & -span};
        int bound = INT32_MAX;
        for (const Candidate& e : from) bound = std::min(bound, Farthest(e, lo, span));
        Cell cell;
        cell.start = static_cast<std::uint32_t>(m_candidates.size());
        for (const Candidate& e : from) {
            if (Closest(e, lo, span) <= bound)
                m_candidates.push_back(e);
        }
        cell.count = static_cast<std::uint32_t>(m_candidates.size()) - cell.start;
        return cell;
    }

    // Least and greatest squared distance from the entry to the cell starting at lo.
    static int Closest(const Candidate& e, const int lo[3], int span)
    {
        const int v[3] = {e.red, e.green, e.blue};
        int sum = 0;
        for (int k = 0; k < 3; ++k) {
            const int d = v[k] < lo[k]              ? lo[k] - v[k]
                          : v[k] > lo[k] + span - 1 ? v[k] - (lo[k] + span - 1)
                                                    : 0;
            sum += d * d;
        }
        return sum;
    }
    static int Farthest(const Candidate& e, const int lo[3], int span)
    {
        const int v[3] = {e.red, e.green, e.blue};
        int sum = 0;
        for (int k = 0; k < 3; ++k) {
            const int d = std::max(std::abs(v[k] - lo[k]), std::abs(v[k] - (lo[k] + span - 1)));
            sum += d * d;
        }
        return sum;
    }

    std::vector<Candidate> m_entries;
    std::vector<Cell> m_coarse = std::vector<Cell>(std::size_t{1} << 12);
    std::vector<Cell> m_fine = std::vector<Cell>(std::size_t{1} << 15);
    std::vector<Candidate> m_candidates;
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
    GridPaletteSearch nearest(palette);
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
                const auto k = static_cast<std::uint8_t>(nearest.Find(wanted));
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
