// What the page tests do with the frame: select a block as the user does, find a page and its
// controls, type into them.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "frame_fixture.h"
#include "ui/dialog_template.h"
#include "ui/gif_bar.h"
#include "ui/gif_page.h"
#include "ui/palette_dlg.h"
#include "ui/palette_grid.h"

namespace korvanta::test {

// Clicks the block's entry in the list.
inline void ClickBlock(FrameFixture& f, int index)
{
    CGIFView& view = f.View();
    const CRect entry = view.EntryRect(index);
    const QPoint at = QPoint(entry.left + 20, entry.top + 10) - view.VisibleRect().topLeft();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

template <class T>
T* PageOf(FrameFixture& f, PageKind kind)
{
    return dynamic_cast<T*>(f.Frame().GetGifBar()->GetPage(kind));
}

template <class T = QWidget>
T* ControlOf(QWidget* page, int id)
{
    return DialogTemplate::Control<T>(page, id);
}

// Replaces the text of a one-line edit as the user does: focus, select all, type.
inline void Retype(QWidget* page, int id, const QString& text)
{
    auto* edit = ControlOf<QLineEdit>(page, id);
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Answers the palette dialog about to open: clicks the cell of index, then OK or Cancel.
inline void AnswerPaletteDialog(int index, bool ok)
{
    QTimer::singleShot(0, [index, ok] {
        auto* dialog = qobject_cast<CPaletteDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        QTest::mouseClick(dialog->Grid(), Qt::LeftButton, {}, CPaletteGrid::CellRect(index).center());
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });
}

}  // namespace korvanta::test
