// A file dialog that answers from a queue, for the core's tests and the widget tests alike.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace korvanta::test {

// Answers each dialog with the next queued answer (a path or a cancel) and records the requests.
// With nothing queued it cancels.
class FakeFileDialogs : public FileDialogService {
public:
    std::optional<std::string> GetFileName(const FileDialogRequest& request) override
    {
        m_requests.push_back(request);
        if (m_answers.empty())
            return std::nullopt;
        auto answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void Answer(std::optional<std::string> answer) { m_answers.push_back(std::move(answer)); }

    std::deque<std::optional<std::string>> m_answers;
    std::vector<FileDialogRequest> m_requests;
};

}  // namespace korvanta::test
