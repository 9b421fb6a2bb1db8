// The base of the property pages: a child dialog laid out from its template, holding a copy of
// its block's values in the page data the block fills and takes back. Enter and Escape return
// the focus to the block list and never close the page.
#pragma once

#include <QWidget>
#include <set>

#include "ui/dialog_template.h"
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

    // Every page template is 142 x 174 dialog units.
    static constexpr int kTemplateWidth = 142;
    static constexpr int kTemplateHeight = 174;

protected:
    virtual void OnOK();
    virtual void OnCancel();
    void keyPressEvent(QKeyEvent* event) override;
    // Asks the main window to take the page's values into the current block. A request made
    // while one is running (the focus moving because of the first one's message) is dropped.
    void SendApplyPage();
    // The page is applied whenever control loses the focus to another control or window of the
    // program; not when a menu, a popup or another application takes it for a while.
    void ApplyOnFocusLoss(QWidget* control);
    // Call when the page is laid out. The focus given to the page goes to its first control, as
    // a dialog's goes to its first tab stop; every control's clicks are watched, so that the
    // click whose focus change was refused does nothing more.
    void HookControls();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The control with an identifier, or NULL.
    template <class T = QWidget>
    T* Control(int id) const
    {
        return DialogTemplate::Control<T>(this, id);
    }

    CGifBar* Bar() const { return m_pBar; }
    const DialogUnits& Units() const { return m_units; }

private:
    void OnFocusLost(QWidget* control, Qt::FocusReason reason);

    int m_nTemplateId;
    CGifBar* m_pBar;
    DialogUnits m_units;
    std::set<QObject*> m_applyOnFocusLoss;
    bool m_bApplying = false;
    bool m_bIgnoreClick = false;
};

}  // namespace korvanta
