// What the page tests do with the frame: select a block as the user does, find a page and its
// controls, type into them.
#pragma once

#include <QLineEdit>
#include <QTest>

#include "frame_fixture.h"
#include "ui/dialog_template.h"
#include "ui/gif_bar.h"
#include "ui/gif_page.h"

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

}  // namespace korvanta::test
