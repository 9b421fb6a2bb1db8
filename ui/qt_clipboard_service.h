// The system clipboard through QClipboard. Named formats travel under their own name (the
// program's blocks as "KORVANTA"); a device-independent bitmap goes out as a picture other
// programs paste (PNG, BMP and the rest Qt offers) and comes back from any program's picture.
#pragma once

#include <QMimeData>
#include <QString>
#include <map>
#include <memory>

#include "platform/clipboard.h"

class QClipboard;

namespace korvanta {

class QtClipboardService final : public ClipboardService {
public:
    // The clipboard is the application's unless a test hands another one's.
    explicit QtClipboardService(QClipboard* clipboard = nullptr);
    ~QtClipboardService() override;

    ClipboardFormat RegisterClipboardFormat(const std::string& name) override;
    bool OpenClipboard() override;
    void CloseClipboard() override;
    bool EmptyClipboard() override;
    bool SetClipboardData(ClipboardFormat format, std::vector<std::uint8_t> data) override;
    std::optional<std::vector<std::uint8_t>> GetClipboardData(ClipboardFormat format) override;
    bool IsClipboardFormatAvailable(ClipboardFormat format) override;

    // The MIME type a registered format travels under; empty for an unknown one.
    QString MimeTypeOf(ClipboardFormat format) const;

private:
    const QMimeData* Current() const;

    QClipboard* m_pClipboard;
    std::map<ClipboardFormat, QString> m_names;
    bool m_bOpen = false;
    // What goes on the clipboard when it is closed: one change for the whole copy, so other
    // programs never see half of it.
    std::unique_ptr<QMimeData> m_pPending;
};

}  // namespace korvanta
