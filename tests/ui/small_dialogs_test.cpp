// The image-convert dialog and the about box through their real widgets.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "frame_fixture.h"
#include "platform/message_box.h"
#include "ui/about_dlg.h"
#include "ui/dialog_template.h"
#include "ui/image_convert_dlg.h"
#include "ui/qt_image_convert_chooser.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

// Runs answer on the modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        answer(dialog);
    });
}

// Every child lies inside the dialog and every text fits its control.
void CheckLaidOut(const QWidget& dialog)
{
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(dialog.rect().contains(child->geometry()), qPrintable(child->objectName()));
        QString text;
        int room = child->width();
        if (auto* label = qobject_cast<QLabel*>(child)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            text = button->text();
            // A radio button's text follows its indicator.
            if (qobject_cast<QRadioButton*>(child) != nullptr)
                room -= button->sizeHint().width() - button->fontMetrics().horizontalAdvance(text);
        }
        QVERIFY2(child->fontMetrics().horizontalAdvance(text) <= room, qPrintable(text));
        QVERIFY2(text.isEmpty() || child->fontMetrics().height() <= child->height(), qPrintable(text));
    }
}

}  // namespace

class SmallDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void convertDialogStartsAtKeepingTheIndices()
    {
        CImageConvertDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("イメージデータの変更"));
        WhenModal([](QWidget* modal) {
            QVERIFY(DialogTemplate::Control<QRadioButton>(modal, 1048)->isChecked());
            DialogTemplate::Control<QPushButton>(modal, IDOK)->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_nMode, 0);
        CheckLaidOut(dialog);
    }

    void chooserAnswersTheChoiceOrCancel()
    {
        QWidget parent;
        QtImageConvertChooser chooser(&parent);
        WhenModal([](QWidget* modal) {
            DialogTemplate::Control<QRadioButton>(modal, 1049)->click();
            QTest::keyClick(modal, Qt::Key_Return);
        });
        QCOMPARE(chooser.ChooseConvert(), std::optional<PaletteFitMode>(kNearestColor));
        // The next run starts from the first choice again.
        WhenModal([](QWidget* modal) {
            QVERIFY(DialogTemplate::Control<QRadioButton>(modal, 1048)->isChecked());
            DialogTemplate::Control<QRadioButton>(modal, 1050)->click();
            DialogTemplate::Control<QPushButton>(modal, IDOK)->click();
        });
        QCOMPARE(chooser.ChooseConvert(), std::optional<PaletteFitMode>(kDither));
        WhenModal([](QWidget* modal) {
            DialogTemplate::Control<QRadioButton>(modal, 1050)->click();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QCOMPARE(chooser.ChooseConvert(), std::nullopt);
    }

    void aboutBoxShowsNameVersionAndIcon()
    {
        FrameFixture f;  // the frame brings the program's resources
        CAboutDlg dialog(&f.Frame());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(KORVANTA)"));
        QCOMPARE(dialog.size(), DialogUnits(InterfaceFont()).Size(217, 55));
        QStringList texts;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("Korvanta Ver1.0")));
        QCOMPARE(texts.size(), 2);
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
        CheckLaidOut(dialog);
    }
};

QTEST_MAIN(SmallDialogsTest)
#include "small_dialogs_test.moc"
