// The block list: every block of the document paints its own entry, one under the other from
// y = 0, in a vertically scrolling view. A click or Up/Down makes a block the document's current
// block; after every update the view reports the current block so that its page is shown.
#pragma once

#include <QAbstractScrollArea>

#include "platform/document.h"
#include "platform/types.h"

class QPainter;

namespace korvanta {

class CGIFDoc;
class CGifBlock;

// What the view asks of the main frame.
class ViewHost {
public:
    virtual ~ViewHost() = default;
    // The current block's page is shown and filled (the view's report after every update).
    virtual void ShowBlockPage(CGifBlock* block) = 0;
    // Tab and Enter: the keyboard focus goes to the page shown.
    virtual void FocusCurrentPage() = 0;
    // The document changed: menus, toolbar and title follow it.
    virtual void OnDocumentUpdated() = 0;
};

class CGIFView final : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    CGIFView(ViewHost* host, QWidget* parent = nullptr);
    ~CGIFView() override;

    // Attaches the view to a document (detaching it from the one before); NULL detaches.
    void SetDocument(CGIFDoc* doc);
    CGIFDoc* GetDocument() const { return m_pDoc; }

    // The document's views are asked for these.
    int GetClientHeight() const override;
    void OnUpdate() override;
    void OnInitialUpdate();

    // The index of the entry that holds the point (list coordinates), -1 when none holds it.
    int HitTest(const QPoint& point) const;
    // Entry index's rectangle in list coordinates; empty for an index outside the list.
    CRect EntryRect(int index) const;
    // The part of the list the window shows, in list coordinates.
    QRect VisibleRect() const;

    // UM_PAGEINVALID: the click that took the focus from a refused page value is swallowed.
    void OnPageInvalid() { m_bIgnoreClick = 1; }
    int m_bIgnoreClick = 0;

    // Paints the entries of the document, list coordinates on the painter; printing uses it too.
    static void DrawList(QPainter& painter, const CGIFDoc& doc);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetScrollSizes();
    void KeepCurrentVisible();
    // A control block about to be shown borrows the palette and pixels of the image it governs,
    // for choosing its transparent colour on the page.
    void AttachFrameToControlBlock();
    void SelectAndUpdate(int index);

    ViewHost* m_pHost;
    CGIFDoc* m_pDoc = nullptr;
};

}  // namespace korvanta
