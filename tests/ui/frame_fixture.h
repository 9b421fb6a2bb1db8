// A main frame on fake services, shown offscreen, for the widget tests.
#pragma once

#include <QTest>
#include <memory>

#include "model/gif_doc.h"
#include "ui/gif_view.h"
#include "ui/main_frame.h"
#include "ui_fakes.h"

namespace korvanta::test {

class FrameFixture {
public:
    // clipboard NULL: the application's real clipboard through Qt.
    explicit FrameFixture(ClipboardService* clipboard = nullptr)
        : m_frame(
              std::make_unique<CMainFrame>(FrameServices{&m_messages, &m_dialogs, clipboard, &m_progress}))
    {
        m_frame->resize(480, 360);
        m_frame->show();
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    CMainFrame& Frame() { return *m_frame; }
    CGIFDoc& Doc() { return *m_frame->GetActiveDocument(); }
    CGIFView& View() { return *m_frame->GetActiveView(); }

    // Appends the block after the last one and shows the list as it is now.
    void Append(std::unique_ptr<CGifBlock> block)
    {
        Doc().InsertBlock(-1, std::move(block));
        Doc().UpdateAllViews();
    }

    RecordingMessages m_messages;
    QueuedFileDialogs m_dialogs;
    CountingProgressFactory m_progress;

private:
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace korvanta::test
