// What the page and dialog tests share: answering a modal dialog once it is up, and checking
// that a page or dialog lays its controls out inside itself with room for their texts.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace korvanta::test {

// Runs answer on the modal dialog as soon as the event loop shows it.
inline void WhenModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        answer(dialog);
    });
}

// Every control lies inside the dialog and every text fits its control in the control's font:
// a button's beside its indicator, a group's title in its frame, a list's longest item.
inline void CheckLaidOut(const QWidget& dialog)
{
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(dialog.rect().contains(child->geometry()), qPrintable(child->objectName()));
        const QFontMetrics metrics = child->fontMetrics();
        QString text;
        int room = child->width();
        if (auto* label = qobject_cast<QLabel*>(child)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            text = button->text();
            if (qobject_cast<QPushButton*>(child) == nullptr)
                room -= button->sizeHint().width() - metrics.horizontalAdvance(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(child)) {
            text = group->title();
        } else if (auto* combo = qobject_cast<QComboBox*>(child)) {
            QVERIFY2(combo->sizeHint().width() <= combo->width(), qPrintable(child->objectName()));
        }
        QVERIFY2(metrics.horizontalAdvance(text) <= room, qPrintable(text));
        QVERIFY2(text.isEmpty() || metrics.height() <= child->height(), qPrintable(text));
    }
}

}  // namespace korvanta::test
