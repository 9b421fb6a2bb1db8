// What a document asks of the windowing side: message boxes, progress displays, file dialogs
// and the clipboard. A document is given all four when it is made and keeps them for its life;
// there is no fallback, so a document never talks to a missing service by accident. The
// services are not owned and must outlive every document they are given to.
#pragma once

#include "platform/clipboard.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/progress.h"

namespace korvanta {

struct DocumentServices {
    MessageService& messages;
    ProgressFactory& progress;
    FileDialogService& dialogs;
    ClipboardService& clipboard;

    // The same services with one of them replaced, e.g. a test's recording message service.
    DocumentServices WithMessages(MessageService& other) const
    {
        return {other, progress, dialogs, clipboard};
    }
    DocumentServices WithProgress(ProgressFactory& other) const
    {
        return {messages, other, dialogs, clipboard};
    }
    DocumentServices WithDialogs(FileDialogService& other) const
    {
        return {messages, progress, other, clipboard};
    }
    DocumentServices WithClipboard(ClipboardService& other) const
    {
        return {messages, progress, dialogs, other};
    }
};

}  // namespace korvanta
