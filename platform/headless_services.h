// The services of a document without a windowing side (the command-line tool, tests, fuzzers,
// benchmarks): nothing is shown, every question is answered No or Cancel, every file dialog is
// cancelled and the clipboard cannot be opened. Code that runs headless can therefore never
// overwrite, replace or discard anything on the user's behalf.
#pragma once

#include "platform/clipboard.h"
#include "platform/document_services.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/progress.h"

namespace korvanta {

class HeadlessServices {
public:
    HeadlessServices() = default;
    // Documents hold references into this object: it stays where it was made.
    HeadlessServices(const HeadlessServices&) = delete;
    HeadlessServices& operator=(const HeadlessServices&) = delete;

    // One set for every headless document of a process: the stand-ins keep no state.
    static HeadlessServices& Shared()
    {
        static HeadlessServices shared;
        return shared;
    }

    DocumentServices Services() { return {m_messages, m_progress, m_dialogs, m_clipboard}; }
    operator DocumentServices() { return Services(); }

private:
    NullMessageService m_messages;
    NullProgressFactory m_progress;
    NullFileDialogService m_dialogs;
    NullClipboardService m_clipboard;
};

}  // namespace korvanta
