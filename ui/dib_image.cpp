#include "ui/dib_image.h"

#include <QHash>

#include "imaging/dib.h"
#include "imaging/dib_convert.h"

namespace korvanta {

QImage ImageFromRgb(const RgbImage& rgb)
{
    if (rgb.width <= 0 || rgb.height <= 0)
        return {};
    QImage image(rgb.pixels.data(), rgb.width, rgb.height, rgb.width * 3, QImage::Format_RGB888);
    return image.copy();
}

QImage ImageFromPackedDib(const PackedDib& dib)
{
    if (!dib || !PackedDibIsConsistent(*dib))
        return {};
    const int width = PackedDibWidth(*dib);
    const int height = PackedDibHeight(*dib);
    RgbImage rgb(width, height);
    const CRect all{0, 0, width, height};
    if (DrawPackedDib(rgb, all, dib, all) != height)
        return {};
    return ImageFromRgb(rgb);
}

QImage IndexedImageFromPackedDib(const PackedDib& dib)
{
    if (!dib || !PackedDibIsConsistent(*dib) || PackedDibBitCount(*dib) != 8 ||
        PackedDibHeaderSize(*dib) != kDibInfoHeaderSize)
        return ImageFromPackedDib(dib);
    const int width = PackedDibWidth(*dib);
    const int height = PackedDibHeight(*dib);
    const int colours = PackedDibColorCount(*dib);
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    // Indexes past the table paint black, as the list and the player show them.
    QList<QRgb> table(256, qRgb(0, 0, 0));
    const std::uint8_t* entry = PackedDibColorTable(*dib);
    for (int i = 0; i < colours && i < 256; ++i, entry += 4) table[i] = qRgb(entry[2], entry[1], entry[0]);
    image.setColorTable(table);
    for (int y = 0; y < height; ++y) std::copy_n(PackedDibRow(*dib, y), width, image.scanLine(y));
    return image;
}

namespace {

// The picture's colours in the order they first appear, when there are at most 256.
bool CollectColours(const QImage& rgb, QList<QRgb>& colours, QHash<QRgb, int>& index)
{
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            if (index.contains(c))
                continue;
            if (colours.size() == 256)
                return false;
            index.insert(c, static_cast<int>(colours.size()));
            colours.push_back(c);
        }
    }
    return true;
}

// An 8-bit packed bitmap whose colour table holds exactly the given colours, pixels zero.
PackedDib NewIndexedDib(int width, int height, const QList<QRgb>& colours)
{
    PackedDib dib =
        NewPackedDibWithColors(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 8,
                               static_cast<std::uint32_t>(colours.size()));
    if (!dib)
        return nullptr;
    std::uint8_t* entry = PackedDibColorTable(*dib);
    for (const QRgb c : colours) {
        entry[0] = static_cast<std::uint8_t>(qBlue(c));
        entry[1] = static_cast<std::uint8_t>(qGreen(c));
        entry[2] = static_cast<std::uint8_t>(qRed(c));
        entry += 4;
    }
    return dib;
}

}  // namespace

std::vector<std::uint8_t> PackedDibBytesFromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const int width = image.width();
    const int height = image.height();
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() > 0) {
        // An indexed picture keeps its own indexes and table.
        const PackedDib dib = NewIndexedDib(width, height, image.colorTable());
        if (!dib)
            return {};
        for (int y = 0; y < height; ++y) std::copy_n(image.constScanLine(y), width, PackedDibRow(*dib, y));
        return dib->Copy();
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QList<QRgb> colours;
    QHash<QRgb, int> index;
    if (CollectColours(rgb, colours, index)) {
        const PackedDib dib = NewIndexedDib(width, height, colours);
        if (!dib)
            return {};
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            std::uint8_t* row = PackedDibRow(*dib, y);
            for (int x = 0; x < width; ++x)
                row[x] = static_cast<std::uint8_t>(index.value(line[x] | 0xFF000000u));
        }
        return dib->Copy();
    }
    PackedDib dib = NewPackedDib(width, height, 24);
    if (!dib)
        return {};
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* row = PackedDibRow(*dib, y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(qBlue(line[x]));
            row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(line[x]));
            row[3 * x + 2] = static_cast<std::uint8_t>(qRed(line[x]));
        }
    }
    return dib->Copy();
}

}  // namespace korvanta
