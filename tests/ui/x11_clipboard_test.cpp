// Pictures cross the X clipboard to and from another program (xclip), with the program running
// on a real X server (Xvfb) rather than offscreen.
#include <QBuffer>
#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "frame_fixture.h"
#include "ui/command_table.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

// Runs xclip and keeps this program's event loop turning meanwhile: the clipboard's owner must
// answer xclip's requests while it waits.
QByteArray RunXclip(const QStringList& arguments)
{
    QProcess xclip;
    QEventLoop loop;
    QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    xclip.start(QStringLiteral("xclip"), arguments);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return xclip.readAllStandardOutput();
}

}  // namespace

class X11ClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void copiedImageIsAPictureForOtherPrograms()
    {
        FrameFixture f;
        f.Append(MakeImage(40, 30, [](int x, int y) { return (x / 5 + y / 3) % 16; }));
        const auto* image = dynamic_cast<CGifImageBlock*>(f.Doc().GetCurrentBlock());
        f.Frame().OnCommand(ID_EDIT_COPY);
        QTRY_VERIFY(QGuiApplication::clipboard()->ownsClipboard());

        const QByteArray targets = RunXclip({"-selection", "clipboard", "-t", "TARGETS", "-o"});
        QVERIFY2(targets.contains("KORVANTA"), targets.constData());
        QVERIFY2(targets.contains("image/png"), targets.constData());
        QVERIFY2(targets.contains("image/bmp"), targets.constData());

        const QByteArray png = RunXclip({"-selection", "clipboard", "-t", "image/png", "-o"});
        QImage picture;
        QVERIFY(picture.loadFromData(png, "PNG"));
        QCOMPARE(picture.size(), QSize(40, 30));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) QCOMPARE(picture.pixel(x, y) | 0xFF000000u, ColourOf(*image, x, y));
    }

    void pictureFromAnotherProgramPastesAsAnImage()
    {
        QTemporaryDir dir;
        QImage source(12, 6, QImage::Format_RGB32);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 12; ++x) source.setPixel(x, y, qRgb(x * 20, y * 40, 99));
        const QString file = dir.filePath(QStringLiteral("in.png"));
        QVERIFY(source.save(file));
        FrameFixture f;
        // xclip stays in the background as the clipboard's owner until another program takes it.
        QVERIFY(QProcess::startDetached(QStringLiteral("xclip"),
                                        {"-selection", "clipboard", "-t", "image/png", "-i", file}));
        QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::clipboard()->ownsClipboard() &&
                                     QGuiApplication::clipboard()->mimeData()->hasImage(),
                                 5000);
        const int blocks = f.Doc().GetBlockCount();
        f.Frame().OnCommand(ID_EDIT_PASTE);
        QCOMPARE(f.Doc().GetBlockCount(), blocks + 1);
        const auto* pasted = dynamic_cast<CGifImageBlock*>(f.Doc().GetCurrentBlock());
        QVERIFY(pasted != nullptr);
        QCOMPARE(pasted->Width(), 12);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 12; ++x) {
                const int index = PackedDibRow(*pasted->m_hDib, y)[x];
                const std::uint8_t* entry = PackedDibColorTable(*pasted->m_hDib) + 4 * index;
                QCOMPARE(qRgb(entry[2], entry[1], entry[0]), source.pixel(x, y));
            }
        }
        // Leave nobody holding the clipboard for the next program.
        QGuiApplication::clipboard()->clear();
    }
};

QTEST_MAIN(X11ClipboardTest)
#include "x11_clipboard_test.moc"
