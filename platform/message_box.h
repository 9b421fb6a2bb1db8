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

// Shows nothing and declines every question: OK for a lone OK button, No for Yes/No, Cancel
// wherever there is a Cancel button. Nothing is ever overwritten or discarded on its word.
class NullMessageService final : public MessageService {
public:
    int MessageBox(const std::string&, unsigned type) override
    {
        switch (type & 0x0F) {
            case MB_OK:
                return IDOK;
            case MB_YESNO:
                return IDNO;
            default:
                return IDCANCEL;
        }
    }
};

}  // namespace korvanta
