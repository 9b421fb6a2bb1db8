// Data exchange between a page's controls and its members: text to numbers and back, check
// boxes, radio groups. Taking values back validates them; a refused value is reported with the
// framework's message, the focus goes back to its control and the rest of the exchange stops.
#pragma once

#include <QString>
#include <climits>
#include <string>

class QLineEdit;
class QWidget;

namespace korvanta {

class MessageService;

// The messages a refused value is reported with.
inline constexpr char kMsgParseInt[] = "整数を入力してください。";
inline constexpr char kMsgParseUInt[] = "正の整数を入力してください。";
// "%1 から %2 の範囲の整数を入力してください。" with the range's ends.
std::string RangeMessage(long long low, long long high);

class DataExchange {
public:
    // save: controls to members with validation; otherwise members to controls.
    DataExchange(QWidget* page, bool save, MessageService& messages)
        : m_pPage(page), m_bSaveAndValidate(save), m_messages(messages)
    {
    }

    bool SaveAndValidate() const { return m_bSaveAndValidate; }
    // False once a value was refused.
    bool Ok() const { return !m_bFailed; }

    // A signed number in [low, high] in edit control id.
    void Int(int id, int& value, int low = INT_MIN, int high = INT_MAX);
    // An unsigned number (no sign allowed) up to high.
    void UInt(int id, unsigned& value, unsigned high = UINT_MAX);
    // The text of a one-line edit, a multi-line edit or a static.
    void Text(int id, QString& value);
    // The raw text bytes of a ByteTextEdit.
    void Bytes(int id, std::string& value);
    void Check(int id, bool& value);
    // A group of radio buttons with consecutive identifiers from firstId; value is the index of
    // the checked one, -1 for none.
    void Radio(int firstId, int count, int& value);

    // Parses text as the exchange does: surrounding blanks allowed, digits with an optional sign
    // (signed only). False for anything else or a value outside [low, high].
    static bool ParseInt(const QString& text, bool allowSign, long long low, long long high,
                         long long& value);

private:
    QWidget* Control(int id) const;
    // Shows value in the edit control, or takes it from there within [low, high]; NULL when
    // there is no such control or the text was refused.
    QLineEdit* Number(int id, long long& value, bool allowSign, long long low, long long high);
    void Fail(int id, const std::string& message);

    QWidget* m_pPage;
    bool m_bSaveAndValidate;
    MessageService& m_messages;
    bool m_bFailed = false;
};

}  // namespace korvanta
