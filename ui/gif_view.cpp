#include "ui/gif_view.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "ui/qt_dc.h"

namespace korvanta {

namespace {

const QColor kBackground(255, 255, 255);
const QColor kText(0, 0, 0);
const QColor kEdgeLight(255, 255, 255);
const QColor kEdgeShadow(128, 128, 128);
const QColor kSelection(0, 0, 255);

// A raised outer and a sunken inner line: the bump edge around every entry.
void DrawBumpEdge(QPainter& painter, const QRect& r)
{
    auto line = [&painter](const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    };
    line(r, kEdgeLight, kEdgeShadow);
    line(r.adjusted(1, 1, -1, -1), kEdgeShadow, kEdgeLight);
}

CRect Inset(const CRect& r, int by)
{
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

}  // namespace

CGIFView::CGIFView(ViewHost* host, QWidget* parent) : QAbstractScrollArea(parent), m_pHost(host)
{
    setObjectName(QStringLiteral("CGIFView"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

CGIFView::~CGIFView()
{
    SetDocument(nullptr);
}

void CGIFView::SetDocument(CGIFDoc* doc)
{
    if (m_pDoc == doc)
        return;
    if (m_pDoc != nullptr)
        m_pDoc->RemoveView(this);
    m_pDoc = doc;
    if (m_pDoc != nullptr)
        m_pDoc->AddView(this);
}

int CGIFView::GetClientHeight() const
{
    return viewport()->height();
}

void CGIFView::OnInitialUpdate()
{
    SetScrollSizes();
    OnUpdate();
    SetScrollSizes();
}

void CGIFView::SetScrollSizes()
{
    if (m_pDoc == nullptr)
        return;
    const CSize extent = m_pDoc->GetListExtent();
    const int width = viewport()->width();
    const int height = viewport()->height();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, extent.cy - height));
    vertical->setPageStep(std::max(1, height));
    vertical->setSingleStep(std::max(1, extent.cy / 100));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, extent.cx - width));
    horizontal->setPageStep(std::max(1, width));
    horizontal->setSingleStep(std::max(1, extent.cx / 100));
}

void CGIFView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    SetScrollSizes();
}

CRect CGIFView::EntryRect(int index) const
{
    if (m_pDoc == nullptr || index < 0 || index >= m_pDoc->GetBlockCount())
        return {};
    int top = 0;
    for (int i = 0; i < index; ++i) top += m_pDoc->GetBlock(i)->GetListSize().cy;
    const CSize size = m_pDoc->GetBlock(index)->GetListSize();
    return {0, top, size.cx, top + size.cy};
}

int CGIFView::HitTest(const QPoint& point) const
{
    if (m_pDoc == nullptr)
        return -1;
    int top = 0;
    for (int i = 0; i < m_pDoc->GetBlockCount(); ++i) {
        const CSize size = m_pDoc->GetBlock(i)->GetListSize();
        // Left and top belong to the entry, right and bottom to the next.
        if (point.x() >= 0 && point.x() < size.cx && point.y() >= top && point.y() < top + size.cy)
            return i;
        top += size.cy;
    }
    return -1;
}

QRect CGIFView::VisibleRect() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value(), viewport()->width(),
            viewport()->height()};
}

void CGIFView::OnUpdate()
{
    SetScrollSizes();
    viewport()->update();
    SetScrollSizes();
    KeepCurrentVisible();
    if (m_pHost != nullptr)
        m_pHost->OnDocumentUpdated();
    CGifBlock* block = m_pDoc != nullptr ? m_pDoc->GetCurrentBlock() : nullptr;
    if (block == nullptr)
        return;
    AttachFrameToControlBlock();
    if (m_pHost != nullptr)
        m_pHost->ShowBlockPage(block);
}

void CGIFView::KeepCurrentVisible()
{
    const CRect entry = EntryRect(m_pDoc != nullptr ? m_pDoc->m_nCurrent : -1);
    if (entry.IsRectEmpty())
        return;
    const QRect visible = VisibleRect();
    const QRect e(entry.left, entry.top, entry.Width(), entry.Height());
    if (e.intersects(visible))
        return;
    if (e.top() < visible.top())
        verticalScrollBar()->setValue(entry.top);
    else
        verticalScrollBar()->setValue(entry.bottom - visible.height());
    horizontalScrollBar()->setValue(0);
}

void CGIFView::AttachFrameToControlBlock()
{
    auto* control = dynamic_cast<CGifControlBlock*>(m_pDoc->GetCurrentBlock());
    if (control == nullptr)
        return;
    control->m_hFramePalette = m_pDoc->GetGlobalPalette();
    control->m_hFrameDib = nullptr;
    for (int i = m_pDoc->m_nCurrent + 1; i < m_pDoc->GetBlockCount(); ++i) {
        if (const auto* image = dynamic_cast<const CGifImageBlock*>(m_pDoc->GetBlock(i))) {
            control->m_hFrameDib = image->m_hDib;
            if (image->m_bLocalTable)
                control->m_hFramePalette = image->m_hPalette;
            break;
        }
    }
}

void CGIFView::DrawList(QPainter& painter, const CGIFDoc& doc)
{
    QtDC dc(painter);
    painter.setPen(kText);
    int top = 0;
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        CGifBlock* block = doc.GetBlock(i);
        const CSize size = block->GetListSize();
        const CRect entry{0, top, size.cx, top + size.cy};
        top += size.cy;
        if (!painter.clipBoundingRect().isEmpty() &&
            !painter.clipBoundingRect().intersects(QRectF(ToQRect(entry))))
            continue;
        DrawBumpEdge(painter, ToQRect(entry));
        CRect inner = Inset(entry, 2);
        block->DrawInList(dc, inner);
        if (i == doc.m_nCurrent) {
            dc.SetFrameColor(kSelection);
            dc.FrameRect(inner);
            dc.FrameRect(Inset(inner, 1));
        }
    }
}

void CGIFView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kBackground);
    if (m_pDoc == nullptr || m_pDoc->GetBlockCount() == 0)
        return;
    painter.setFont(font());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    painter.setClipRect(VisibleRect());
    DrawList(painter, *m_pDoc);
}

void CGIFView::SelectAndUpdate(int index)
{
    m_pDoc->m_nCurrent = index;
    m_pDoc->UpdateAllViews();
}

void CGIFView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (m_bIgnoreClick != 0) {
        m_bIgnoreClick = 0;
        return;
    }
    const QPoint point = event->position().toPoint() + VisibleRect().topLeft();
    const int index = HitTest(point);
    if (index >= 0)
        SelectAndUpdate(index);
}

bool CGIFView::event(QEvent* event)
{
    // Tab belongs to the list (it moves to the page), not to the focus chain.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CGIFView::keyPressEvent(QKeyEvent* event)
{
    if (m_pDoc == nullptr) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            if (event->modifiers() & ~Qt::KeypadModifier)
                break;
            m_pDoc->DeleteCurrentBlock();
            return;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_pHost != nullptr)
                m_pHost->FocusCurrentPage();
            return;
        case Qt::Key_Up:
            if (m_pDoc->m_nCurrent > 0)
                SelectAndUpdate(m_pDoc->m_nCurrent - 1);
            return;
        case Qt::Key_Down:
            if (m_pDoc->m_nCurrent < m_pDoc->GetBlockCount() - 1)
                SelectAndUpdate(m_pDoc->m_nCurrent + 1);
            return;
        default:
            break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace korvanta
