#include "ui/data_exchange.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "platform/message_box.h"
#include "ui/byte_text_edit.h"

namespace korvanta {

std::string RangeMessage(long long low, long long high)
{
    return std::to_string(low) + " から " + std::to_string(high) + " の範囲の整数を入力してください。";
}

bool DataExchange::ParseInt(const QString& text, bool allowSign, long long low, long long high,
                            long long& value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    int start = 0;
    if (allowSign && (trimmed[0] == QLatin1Char('-') || trimmed[0] == QLatin1Char('+')))
        start = 1;
    if (start == trimmed.size())
        return false;
    for (int i = start; i < trimmed.size(); ++i)
        if (trimmed[i] < QLatin1Char('0') || trimmed[i] > QLatin1Char('9'))
            return false;
    bool ok = false;
    // Digits only, so an overflow is the one way toLongLong can fail.
    const long long parsed = trimmed.toLongLong(&ok);
    if (!ok || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

QWidget* DataExchange::Control(int id) const
{
    return m_pPage->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void DataExchange::Fail(int id, const std::string& message)
{
    m_bFailed = true;
    m_messages.MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id))) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

QLineEdit* DataExchange::Number(int id, long long& value, bool allowSign, long long low, long long high)
{
    auto* edit = qobject_cast<QLineEdit*>(Control(id));
    if (edit == nullptr || m_bFailed)
        return nullptr;
    if (!m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return edit;
    }
    long long parsed = 0;
    // Not a number at all is told apart from a number out of range.
    if (!ParseInt(edit->text(), allowSign, allowSign ? INT_MIN : 0, allowSign ? INT_MAX : UINT_MAX, parsed)) {
        Fail(id, allowSign ? kMsgParseInt : kMsgParseUInt);
        return nullptr;
    }
    if (parsed < low || parsed > high) {
        Fail(id, RangeMessage(low, high));
        return nullptr;
    }
    value = parsed;
    return edit;
}

void DataExchange::Int(int id, int& value, int low, int high)
{
    long long number = value;
    if (Number(id, number, true, low, high) != nullptr)
        value = static_cast<int>(number);
}

void DataExchange::UInt(int id, unsigned& value, unsigned high)
{
    long long number = value;
    if (Number(id, number, false, 0, high) != nullptr)
        value = static_cast<unsigned>(number);
}

void DataExchange::Text(int id, QString& value)
{
    QWidget* control = Control(id);
    if (control == nullptr || m_bFailed)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (m_bSaveAndValidate)
            value = edit->text();
        else
            edit->setText(value);
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(control)) {
        if (m_bSaveAndValidate)
            value = lines->toPlainText();
        else
            lines->setPlainText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (m_bSaveAndValidate)
            value = label->text();
        else
            label->setText(value);
    }
}

void DataExchange::Bytes(int id, std::string& value)
{
    auto* edit = qobject_cast<ByteTextEdit*>(Control(id));
    if (edit == nullptr || m_bFailed)
        return;
    if (m_bSaveAndValidate)
        value = edit->Bytes();
    else
        edit->SetBytes(value);
}

void DataExchange::Check(int id, bool& value)
{
    auto* check = qobject_cast<QCheckBox*>(Control(id));
    if (check == nullptr || m_bFailed)
        return;
    if (m_bSaveAndValidate)
        value = check->isChecked();
    else
        check->setChecked(value);
}

void DataExchange::Radio(int firstId, int count, int& value)
{
    if (m_bFailed)
        return;
    if (m_bSaveAndValidate)
        value = -1;
    for (int i = 0; i < count; ++i) {
        auto* radio = qobject_cast<QRadioButton*>(Control(firstId + i));
        if (radio == nullptr)
            continue;
        if (m_bSaveAndValidate) {
            if (radio->isChecked())
                value = i;
        } else {
            radio->setChecked(i == value);
        }
    }
}

}  // namespace korvanta
