#include "ui/anim_wnd.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <limits>

#include "imaging/dib.h"
#include "ui/dib_image.h"

namespace korvanta {

namespace {
std::optional<QPoint> s_lastPosition;

// A picture with 3 bytes a pixel in blue, green, red, bottom row first, as Qt paints it.
QImage CanvasImage(const PackedDib& canvas)
{
    const int width = PackedDibWidth(*canvas);
    const int height = PackedDibHeight(*canvas);
    if (width <= 0 || height <= 0)
        return {};
    const QImage rows(PackedDibBits(*canvas), width, height,
                      static_cast<qsizetype>(PackedDibRowBytes(*canvas)), QImage::Format_BGR888);
    return rows.mirrored(false, true);
}
}  // namespace

CAnimWnd::CAnimWnd(CGIFDoc* doc, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint),
      m_player(doc),
      m_bPaletteDisplay(QGuiApplication::primaryScreen() != nullptr &&
                        QGuiApplication::primaryScreen()->depth() <= 8)
{
    setObjectName(QStringLiteral("CAnimWnd"));
    setWindowTitle(QStringLiteral("animation"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CAnimWnd::OnTimer);
}

CAnimWnd::~CAnimWnd()
{
    Stop();
}

void CAnimWnd::ForgetPosition()
{
    s_lastPosition.reset();
}

bool CAnimWnd::Create()
{
    if (!m_player.Create())
        return false;
    const int width = m_player.CanvasWidth();
    const int height = m_player.CanvasHeight();
    setFixedSize(std::max(width, kButtonHeight), height + kButtonHeight);
    m_pStop = new QPushButton(QStringLiteral("STOP"), this);
    m_pStop->setObjectName(QStringLiteral("1"));
    m_pStop->setGeometry(0, height, width, kButtonHeight);
    connect(m_pStop, &QPushButton::clicked, this, &QWidget::close);
    // The first window of the run is centred on the screen; every later one opens where the last
    // one was closed.
    if (s_lastPosition) {
        move(*s_lastPosition);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        s_lastPosition = QPoint(area.x() + (area.width() - width) / 2,
                                area.y() + (area.height() - height - kButtonHeight) / 2);
        move(*s_lastPosition);
    }
    return true;
}

void CAnimWnd::StartPlayback()
{
    m_bStarted = true;
    m_player.Activate();
    ArmTimer();
    update();
}

void CAnimWnd::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Playback starts when the window appears, even where the window manager does not hand it
    // the activation at once.
    if (!m_bStarted)
        StartPlayback();
}

void CAnimWnd::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || m_bClosing)
        return;
    if (isActiveWindow()) {
        if (!m_bStarted)
            StartPlayback();
    } else if (m_bStarted) {
        // Any other window becoming active ends the animation, so the document is never edited
        // while it plays.
        close();
    }
}

void CAnimWnd::ArmTimer()
{
    const std::int64_t interval = m_player.TimerInterval();
    m_timer.start(static_cast<int>(std::clamp<std::int64_t>(interval, 0, std::numeric_limits<int>::max())));
}

void CAnimWnd::OnTimer()
{
    m_player.OnTimer();
    ArmTimer();
    update();
}

void CAnimWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int width = m_player.CanvasWidth();
    const int height = m_player.CanvasHeight();
    if (width <= 0 || height <= 0)
        return;
    QImage picture;
    if (m_bPaletteDisplay) {
        m_player.DitherToDisplay();
        picture = ImageFromPackedDib(m_player.m_hDisplay);
    } else if (m_player.m_hCanvas) {
        picture = CanvasImage(m_player.m_hCanvas);
    }
    if (!picture.isNull())
        painter.drawImage(QPoint(0, 0), picture);
}

void CAnimWnd::Stop()
{
    if (m_bClosing)
        return;
    m_bClosing = true;
    m_timer.stop();
    m_player.Deactivate();
    s_lastPosition = pos();
    if (m_onClosed)
        m_onClosed();
}

void CAnimWnd::closeEvent(QCloseEvent* event)
{
    Stop();
    event->accept();
}

}  // namespace korvanta
