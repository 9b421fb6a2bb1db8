// The animation window: plays the open document on a timer, the canvas above a "STOP" button.
// It closes on STOP, on its close box, on the play command and whenever it loses activation, and
// tells the main frame as it goes.
#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "player/animation_player.h"

class QPushButton;

namespace korvanta {

class CGIFDoc;

class CAnimWnd final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtonHeight = 24;

    // The document is played live and not owned; owner is the main frame, which the window
    // stays above and tells of its closing.
    CAnimWnd(CGIFDoc* doc, QWidget* owner);
    ~CAnimWnd() override;

    // Makes the pictures and the button for the document's logical screen and places the window.
    // False when the pictures cannot be made (the screen is too large): the window is not shown.
    bool Create();

    AnimationPlayer& Player() { return m_player; }
    QPushButton* StopButton() const { return m_pStop; }
    const QTimer& Timer() const { return m_timer; }
    // Whether the window shows the canvas through the 236-colour palette, as on a display of 256
    // colours or fewer; decided from the screen unless a test sets it.
    void SetPaletteDisplay(bool palette) { m_bPaletteDisplay = palette; }

    // Called once when the window goes away, before it is deleted (UM_ANIMCLOSED's first half).
    std::function<void()> m_onClosed;

    // The next window opens centred again, as the first of the run does.
    static void ForgetPosition();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartPlayback();
    void OnTimer();
    void ArmTimer();
    void Stop();

    AnimationPlayer m_player;
    QPushButton* m_pStop = nullptr;
    QTimer m_timer;
    bool m_bPaletteDisplay;
    bool m_bStarted = false;
    bool m_bClosing = false;
};

}  // namespace korvanta
