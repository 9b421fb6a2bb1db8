// Message boxes as Qt shows them: the program's texts, the buttons and icon the caller asks for,
// and the window system's default icon where the caller names none.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace korvanta {

// The caption every message box of the program carries.
inline constexpr char kMessageBoxCaption[] = "GIF";

class QtMessageService final : public MessageService {
public:
    explicit QtMessageService(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    int MessageBox(const std::string& text, unsigned type) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace korvanta
