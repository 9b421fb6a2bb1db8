#include "ui/qt_clipboard_service.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include "ui/dib_image.h"

namespace korvanta {

namespace {
// Registered formats are numbered from here, as the window system numbers them.
constexpr ClipboardFormat kFirstRegisteredFormat = 0xC000;
}  // namespace

QtClipboardService::QtClipboardService(QClipboard* clipboard)
    : m_pClipboard(clipboard != nullptr ? clipboard : QGuiApplication::clipboard())
{
}

QtClipboardService::~QtClipboardService() = default;

ClipboardFormat QtClipboardService::RegisterClipboardFormat(const std::string& name)
{
    const QString mime = QString::fromStdString(name);
    for (const auto& [format, known] : m_names)
        if (known == mime)
            return format;
    if (mime.isEmpty())
        return 0;
    const auto format = kFirstRegisteredFormat + static_cast<ClipboardFormat>(m_names.size());
    m_names.emplace(format, mime);
    return format;
}

QString QtClipboardService::MimeTypeOf(ClipboardFormat format) const
{
    const auto it = m_names.find(format);
    return it == m_names.end() ? QString() : it->second;
}

bool QtClipboardService::OpenClipboard()
{
    if (m_bOpen)
        return false;
    m_bOpen = true;
    return true;
}

void QtClipboardService::CloseClipboard()
{
    if (m_pPending)
        m_pClipboard->setMimeData(m_pPending.release());
    m_bOpen = false;
}

bool QtClipboardService::EmptyClipboard()
{
    if (!m_bOpen)
        return false;
    m_pPending = std::make_unique<QMimeData>();
    return true;
}

bool QtClipboardService::SetClipboardData(ClipboardFormat format, std::vector<std::uint8_t> data)
{
    if (!m_bOpen || !m_pPending)
        return false;
    if (format == CF_DIB) {
        const auto dib = std::make_shared<DibBlock>(data);
        const QImage image = IndexedImageFromPackedDib(dib);
        if (image.isNull())
            return false;
        m_pPending->setImageData(image);
        return true;
    }
    const QString mime = MimeTypeOf(format);
    if (mime.isEmpty())
        return false;
    m_pPending->setData(
        mime, QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
    return true;
}

const QMimeData* QtClipboardService::Current() const
{
    return m_pClipboard->mimeData();
}

std::optional<std::vector<std::uint8_t>> QtClipboardService::GetClipboardData(ClipboardFormat format)
{
    const QMimeData* data = Current();
    if (data == nullptr)
        return std::nullopt;
    if (format == CF_DIB) {
        if (!data->hasImage())
            return std::nullopt;
        std::vector<std::uint8_t> bytes = PackedDibBytesFromImage(qvariant_cast<QImage>(data->imageData()));
        if (bytes.empty())
            return std::nullopt;
        return bytes;
    }
    const QString mime = MimeTypeOf(format);
    if (mime.isEmpty() || !data->hasFormat(mime))
        return std::nullopt;
    const QByteArray bytes = data->data(mime);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool QtClipboardService::IsClipboardFormatAvailable(ClipboardFormat format)
{
    const QMimeData* data = Current();
    if (data == nullptr)
        return false;
    if (format == CF_DIB)
        return data->hasImage();
    const QString mime = MimeTypeOf(format);
    return !mime.isEmpty() && data->hasFormat(mime);
}

}  // namespace korvanta
