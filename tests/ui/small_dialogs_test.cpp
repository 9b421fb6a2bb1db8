// The image-convert dialog and the about box through their real widgets.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dialog_checks.h"
#include "frame_fixture.h"
#include "platform/message_box.h"
#include "ui/about_dlg.h"
#include "ui/dialog_template.h"
#include "ui/image_convert_dlg.h"
#include "ui/qt_image_convert_chooser.h"

using namespace korvanta;
using namespace korvanta::test;

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
