// The multi-line edit of the comment and plain-text pages. It shows a block's raw text bytes
// decoded (line breaks CR LF as lines) and gives back exactly those bytes while the text shown
// was not changed, so that selecting a block and moving on never rewrites its text.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "ui/page_text_codec.h"

namespace korvanta {

class ByteTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ByteTextEdit(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

    void SetBytes(const std::string& bytes);
    // The bytes given while the text is as it was shown; otherwise the text in the encoding it
    // was shown in, each line break as CR LF.
    std::string Bytes() const;
    TextEncoding Encoding() const { return m_encoding; }

private:
    std::string m_bytes;
    QString m_shownText;
    TextEncoding m_encoding = TextEncoding::cp932;
};

}  // namespace korvanta
