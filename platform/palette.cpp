#include "platform/palette.h"

#include <limits>

namespace korvanta {

HPALETTE CPalette::Create(std::span<const PALETTEENTRY> entries)
{
    if (entries.empty() || entries.size() > static_cast<std::size_t>(kMaxEntries))
        return nullptr;
    return std::make_shared<const CPalette>(entries);
}

int CPalette::GetNearestPaletteIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const int dr = m_entries[i].peRed - red;
        const int dg = m_entries[i].peGreen - green;
        const int db = m_entries[i].peBlue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0)
                break;
        }
    }
    return best;
}

HPALETTE DuplicatePalette(const HPALETTE& palette)
{
    if (!palette)
        return nullptr;
    return CPalette::Create(palette->Entries());
}

}  // namespace korvanta
