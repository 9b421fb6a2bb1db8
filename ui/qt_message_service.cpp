#include "ui/qt_message_service.h"

#include <QMessageBox>

namespace korvanta {

namespace {

constexpr unsigned kTypeMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

QMessageBox::Icon IconOf(unsigned type)
{
    switch (type & kIconMask) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::Warning;
    }
}

}  // namespace

int QtMessageService::MessageBox(const std::string& text, unsigned type)
{
    // A box without an icon of its own gets the exclamation mark, as the framework's boxes do.
    if ((type & kIconMask) == 0)
        type |= MB_ICONEXCLAMATION;
    QMessageBox box(IconOf(type), QString::fromUtf8(kMessageBoxCaption), QString::fromStdString(text),
                    QMessageBox::NoButton, m_parent);
    switch (type & kTypeMask) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            return (type & kTypeMask) == MB_OK ? IDOK : IDCANCEL;
    }
}

}  // namespace korvanta
