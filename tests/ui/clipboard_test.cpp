// Copy, cut and paste through the real QClipboard: the program's own item, and pictures to and
// from other programs.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include "frame_fixture.h"
#include "imaging/dib_convert.h"
#include "ui/command_table.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

const QString kPrivate = QStringLiteral("KORVANTA");

void PutPicture(const QImage& image)
{
    auto* data = new QMimeData;
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data);
}

CGifImageBlock* CurrentImage(FrameFixture& f)
{
    return dynamic_cast<CGifImageBlock*>(f.Doc().GetCurrentBlock());
}

QRgb ShownColour(const CGifImageBlock& image, int x, int y)
{
    // Pixel colours come from the image's DIB colour table, as the list and player show them.
    const int index = PackedDibRow(*image.m_hDib, y)[x];
    const std::uint8_t* entry = PackedDibColorTable(*image.m_hDib) + 4 * index;
    return qRgb(entry[2], entry[1], entry[0]);
}

}  // namespace

class ClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void controlBlockRoundTripsThroughThePrivateItem()
    {
        FrameFixture f;
        auto* control = dynamic_cast<CGifControlBlock*>(f.Doc().GetBlock(2));
        control->m_nDelay = 37;
        control->m_nTransparentIndex = 5;
        control->m_bTransparent = true;
        f.Doc().m_nCurrent = 2;
        QVERIFY(!f.Frame().Action(ID_EDIT_PASTE)->isEnabled());
        f.Frame().OnCommand(ID_EDIT_COPY);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat(kPrivate));
        QCOMPARE(data->data(kPrivate).size(), 8);
        QVERIFY(!data->hasImage());
        f.Frame().UpdateMenus();
        QVERIFY(f.Frame().Action(ID_EDIT_PASTE)->isEnabled());

        f.Frame().OnCommand(ID_EDIT_PASTE);
        QCOMPARE(f.Doc().GetBlockCount(), 4);
        auto* pasted = dynamic_cast<CGifControlBlock*>(f.Doc().GetBlock(3));
        QVERIFY(pasted != nullptr);
        QCOMPARE(pasted->m_nDelay, 37);
        QCOMPARE(pasted->m_nTransparentIndex, 5);
        QVERIFY(pasted->m_bTransparent);
    }

    void copiedImageGoesOutAsAPictureAndPastesBackAsItself()
    {
        FrameFixture f;
        f.Append(MakeImage(7, 5, [](int x, int y) { return (x + 2 * y) % 16; }));
        const CGifImageBlock& image = *CurrentImage(f);
        f.Frame().OnCommand(ID_EDIT_COPY);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasFormat(kPrivate));
        QVERIFY(data->hasImage());
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(picture.size(), QSize(7, 5));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) QCOMPARE(picture.pixel(x, y), ColourOf(image, x, y));

        // In the program the private item wins: the pasted block is the image itself.
        f.Frame().OnCommand(ID_EDIT_PASTE);
        QCOMPARE(f.Doc().GetBlockCount(), 5);
        const CGifImageBlock* pasted = CurrentImage(f);
        QVERIFY(pasted != nullptr && pasted != &image);
        for (int y = 0; y < 5; ++y)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(PackedDibRow(*pasted->m_hDib, y)), 7),
                     QByteArray(reinterpret_cast<const char*>(PackedDibRow(*image.m_hDib, y)), 7));
    }

    void pictureFromAnotherProgramPastesWhenItHasFewColours()
    {
        FrameFixture f;
        QImage picture(9, 4, QImage::Format_RGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x) picture.setPixel(x, y, qRgb(20 * x, 60 * y, 7));
        PutPicture(picture);
        f.Frame().UpdateMenus();
        QVERIFY(f.Frame().Action(ID_EDIT_PASTE)->isEnabled());
        f.Frame().OnCommand(ID_EDIT_PASTE);
        const CGifImageBlock* pasted = CurrentImage(f);
        QVERIFY(pasted != nullptr);
        QCOMPARE(pasted->Width(), 9);
        QCOMPARE(pasted->Height(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x) QCOMPARE(ShownColour(*pasted, x, y), picture.pixel(x, y));
        QVERIFY(f.m_messages.m_texts.empty());

        // An indexed picture keeps its indexes.
        QImage indexed(3, 1, QImage::Format_Indexed8);
        indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)});
        indexed.scanLine(0)[0] = 2;
        indexed.scanLine(0)[1] = 0;
        indexed.scanLine(0)[2] = 1;
        PutPicture(indexed);
        f.Frame().OnCommand(ID_EDIT_PASTE);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(PackedDibRow(*CurrentImage(f)->m_hDib, 0)), 3),
                 QByteArray("\x02\x00\x01", 3));
    }

    void pictureOfManyColoursIsRefused()
    {
        FrameFixture f;
        QImage picture(300, 1, QImage::Format_RGB32);
        for (int x = 0; x < 300; ++x) picture.setPixel(x, 0, qRgb(x % 256, x / 256, 0));
        PutPicture(picture);
        const int blocks = f.Doc().GetBlockCount();
        f.Frame().OnCommand(ID_EDIT_PASTE);
        QCOMPARE(f.Doc().GetBlockCount(), blocks);
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{kMsgNeed256Colors}));
    }

    void textOnTheClipboardIsNothingToPaste()
    {
        FrameFixture f;
        QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
        f.Frame().UpdateMenus();
        QVERIFY(!f.Frame().Action(ID_EDIT_PASTE)->isEnabled());
    }
};

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
