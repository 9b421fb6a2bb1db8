// What the widget tests answer the program's questions and dialogs with, and the files they
// open: a message service that records every box and answers from a queue, a file dialog that
// answers from a queue, a GIF file written from blocks, and a directory of its own per test.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "fake_file_dialogs.h"
#include "platform/message_box.h"
#include "platform/progress.h"

namespace korvanta::test {

class RecordingMessages final : public MessageService {
public:
    int MessageBox(const std::string& text, unsigned type) override
    {
        m_texts.push_back(text);
        m_types.push_back(type);
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        // Unasked-for questions are declined, so no test overwrites or discards by accident.
        switch (type & 0x0F) {
            case MB_YESNO:
                return IDNO;
            case MB_OK:
                return IDOK;
            default:
                return IDCANCEL;
        }
    }
    void Answer(int answer) { m_answers.push_back(answer); }

    std::vector<std::string> m_texts;
    std::vector<unsigned> m_types;
    std::deque<int> m_answers;
};

using QueuedFileDialogs = FakeFileDialogs;

class CountingProgressFactory final : public ProgressFactory {
public:
    std::unique_ptr<Progress> CreateProgress() override
    {
        ++m_nCreated;
        return std::make_unique<NullProgress>();
    }
    int m_nCreated = 0;
};

}  // namespace korvanta::test
