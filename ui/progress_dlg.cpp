#include "ui/progress_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace korvanta {

namespace {
// Repaints closer together than this do not show more to the eye but cost the work time.
constexpr qint64 kRepaintIntervalMs = 50;
}  // namespace

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent), m_pBar(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("進行状況"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("お待ちください"), this));
    m_pBar->setObjectName(QStringLiteral("1051"));
    m_pBar->setTextVisible(false);
    m_pBar->setMinimumWidth(200);
    layout->addWidget(m_pBar);
    setFixedSize(sizeHint());
}

QtProgress::QtProgress(QWidget* parent) : m_pDialog(new CProgressDlg(parent))
{
    m_pDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_pDialog->show();
    Repaint(true);
}

QtProgress::~QtProgress()
{
    if (m_pDialog)
        m_pDialog->close();
}

void QtProgress::SetRange(int lower, int upper)
{
    if (m_pDialog)
        m_pDialog->Bar()->setRange(lower, upper);
    Repaint(true);
}

void QtProgress::SetPos(int position)
{
    if (m_pDialog)
        m_pDialog->Bar()->setValue(position);
    Repaint(false);
}

void QtProgress::Repaint(bool force)
{
    if (!force && m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < kRepaintIntervalMs)
        return;
    m_sinceRepaint.start();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::unique_ptr<Progress> QtProgressFactory::CreateProgress()
{
    return std::make_unique<QtProgress>(m_parent);
}

}  // namespace korvanta
