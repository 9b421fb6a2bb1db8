// The animation window through its real widget: size, the STOP button, closing on every way
// out, the timer's delays and what it shows.
#include "ui/anim_wnd.h"

#include <QPushButton>
#include <QTest>

#include "frame_fixture.h"
#include "model/gif_commands.h"
#include "ui/gif_bar.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

// Header of a 200 x 100 screen, loop, control (delay 100), image A, control (delay 20), image B.
void BuildAnimation(FrameFixture& f)
{
    CGifHeaderBlock* header = f.Doc().GetHeader();
    header->m_nWidth = 200;
    header->m_nHeight = 100;
    f.Append(MakeImage(200, 100, [](int x, int) { return x < 100 ? 1 : 2; }));
    f.Append(MakeControl(20));
    f.Append(MakeImage(200, 100, [](int, int y) { return y < 50 ? 3 : 4; }));
}

CAnimWnd* Play(FrameFixture& f)
{
    f.Frame().OnCommand(ID_PLAY);
    CAnimWnd* anim = f.Frame().AnimWindow();
    if (anim != nullptr && !QTest::qWaitForWindowExposed(anim))
        return nullptr;
    return anim;
}

}  // namespace

class AnimWndTest : public QObject {
    Q_OBJECT
private slots:
    void init() { CAnimWnd::ForgetPosition(); }

    void windowFitsTheScreenAndTheButton()
    {
        FrameFixture f;
        BuildAnimation(f);
        CAnimWnd* anim = Play(f);
        QVERIFY(anim != nullptr);
        QCOMPARE(anim->windowTitle(), QStringLiteral("animation"));
        QCOMPARE(anim->size(), QSize(200, 124));
        QCOMPARE(anim->minimumSize(), anim->maximumSize());  // cannot be resized
        QCOMPARE(anim->StopButton()->text(), QStringLiteral("STOP"));
        QCOMPARE(anim->StopButton()->geometry(), QRect(0, 100, 200, 24));

        // The first image shows: its left half in colour 1, its right half in colour 2.
        const QImage shot = anim->grab().toImage();
        const auto* image = dynamic_cast<CGifImageBlock*>(f.Doc().GetBlock(3));
        QCOMPARE(shot.pixel(10, 10), ColourOf(*image, 10, 10));
        QCOMPARE(shot.pixel(150, 10), ColourOf(*image, 150, 10));
        // A frame without a control block of its own lasts a second.
        QCOMPARE(anim->Timer().interval(), 1000);
    }

    void timerFollowsTheDelays()
    {
        FrameFixture f;
        BuildAnimation(f);
        CAnimWnd* anim = Play(f);
        QVERIFY(anim != nullptr);
        QCOMPARE(anim->Player().m_nShown, 3);
        QTRY_COMPARE_WITH_TIMEOUT(anim->Player().m_nShown, 5, 3000);
        QCOMPARE(anim->Timer().interval(), 200);
    }

    void stopCloseBoxAndDeactivationCloseIt()
    {
        FrameFixture f;
        BuildAnimation(f);
        CAnimWnd* anim = Play(f);
        QVERIFY(anim != nullptr);
        QTest::mouseClick(anim->StopButton(), Qt::LeftButton);
        QVERIFY(f.Frame().AnimWindow() == nullptr);  // cleared at once, not when the message comes
        QTRY_COMPARE(f.Frame().GetGifBar()->PlayButton()->text(), QStringLiteral("再生"));

        anim = Play(f);
        QVERIFY(anim != nullptr);
        QVERIFY(anim->close());
        QVERIFY(f.Frame().AnimWindow() == nullptr);

        anim = Play(f);
        QVERIFY(anim != nullptr);
        QTRY_VERIFY(anim->isActiveWindow());
        f.Frame().activateWindow();
        QTRY_VERIFY(f.Frame().AnimWindow() == nullptr);
    }

    void playAgainStartsFromTheBeginningWhereTheLastOneWas()
    {
        FrameFixture f;
        BuildAnimation(f);
        CAnimWnd* anim = Play(f);
        QVERIFY(anim != nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(anim->Player().m_nShown, 5, 3000);
        anim->move(anim->pos() + QPoint(13, 7));
        const QPoint moved = anim->pos();
        // The play command closes the window that is open ...
        f.Frame().OnCommand(ID_PLAY);
        QVERIFY(f.Frame().AnimWindow() == nullptr);
        // ... and the next one starts again at the first image, where the last one was.
        anim = Play(f);
        QVERIFY(anim != nullptr);
        QCOMPARE(anim->Player().m_nShown, 3);
        QCOMPARE(anim->pos(), moved);
    }

    void editsUnderTheWindowNeverReachAGoneBlock()
    {
        FrameFixture f;
        BuildAnimation(f);
        CAnimWnd* anim = Play(f);
        QVERIFY(anim != nullptr);
        // The document shrinks under the playing window; its next ticks must cope.
        while (f.Doc().GetBlockCount() > 1) {
            f.Doc().m_nCurrent = f.Doc().GetBlockCount() - 1;
            f.Doc().DeleteCurrentBlock();
        }
        QTest::qWait(1200);
        QVERIFY(f.Frame().AnimWindow() == nullptr || f.Frame().AnimWindow()->isVisible());
    }

    void paletteDisplayShowsTheDitheredCanvas()
    {
        FrameFixture f;
        BuildAnimation(f);
        CAnimWnd* anim = Play(f);
        QVERIFY(anim != nullptr);
        anim->SetPaletteDisplay(true);
        const QImage shot = anim->grab().toImage();
        // Every pixel is a colour of the 6 x 12 x 3 cube.
        for (const QPoint p : {QPoint(10, 10), QPoint(150, 80)}) {
            const QRgb c = shot.pixel(p);
            QVERIFY(qRed(c) % 51 == 0);
            QVERIFY(qBlue(c) == 0 || qBlue(c) == 127 || qBlue(c) == 255);
        }
    }
};

QTEST_MAIN(AnimWndTest)
#include "anim_wnd_test.moc"
