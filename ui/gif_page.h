// The base of the property pages: a child dialog laid out from its template, holding a copy of
// its block's values in the page data the block fills and takes back. Enter and Escape return
// the focus to the block list and never close the page.
#pragma once

#include <QWidget>

#include "ui/dialog_units.h"

namespace korvanta {

class CGifBar;
class CGifPageData;

class CGifPage : public QWidget {
    Q_OBJECT
public:
    CGifPage(int templateId, CGifBar* parent);

    int TemplateId() const { return m_nTemplateId; }
    // The values the block fills (UpdatePage) and takes back (UpdateFromPage).
    virtual CGifPageData& PageData() = 0;
    // Controls to members (save true) with validation, or members to controls. False when a
    // value is refused: the page has said why and put the focus back on the control.
    virtual bool UpdateData(bool bSaveAndValidate) = 0;

    // A block asked for a control to be repainted (a colour swatch after its brush changed).
    virtual void RepaintControl(int /*controlId*/) {}

    // Every page template is 142 x 174 dialog units.
    static constexpr int kTemplateWidth = 142;
    static constexpr int kTemplateHeight = 174;

protected:
    virtual void OnOK();
    virtual void OnCancel();
    void keyPressEvent(QKeyEvent* event) override;
    // Asks the main window to take the page's values into the current block.
    void SendApplyPage();
    // The page is applied whenever the control loses the keyboard focus to another control of
    // the program (a click, Tab, Enter); not when a message box or another program takes it.
    void ApplyOnFocusLoss(QWidget* control);
    bool eventFilter(QObject* watched, QEvent* event) override;

    CGifBar* Bar() const { return m_pBar; }
    const DialogUnits& Units() const { return m_units; }

private:
    int m_nTemplateId;
    CGifBar* m_pBar;
    DialogUnits m_units;
};

// A page's data that has its page repaint the controls the block names.
template <class Data>
class PageDataOf final : public Data {
public:
    explicit PageDataOf(CGifPage& page) : m_page(page) {}
    void RepaintControl(int controlId) override { m_page.RepaintControl(controlId); }

private:
    CGifPage& m_page;
};

}  // namespace korvanta
