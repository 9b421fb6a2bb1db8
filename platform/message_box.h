// Message boxes: a text, a set of buttons and an icon; the answer is the button pressed.
#pragma once

#include <string>

namespace korvanta {

// Button sets and icons, combinable as in the window system this stands in for.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,  // stop
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};

// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual int MessageBox(const std::string& text, unsigned type) = 0;
};

// Answers every question with its first button (OK or Yes) and shows nothing.
class NullMessageService final : public MessageService {
public:
    int MessageBox(const std::string&, unsigned type) override
    {
        return (type & 0x0F) == MB_YESNO || (type & 0x0F) == MB_YESNOCANCEL ? IDYES : IDOK;
    }
};

}  // namespace korvanta
