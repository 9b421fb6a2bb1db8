// Progress of long work (reading, writing, dithering): a range and a position. The windowing
// side shows a modeless dialog; headless callers use the null implementation.
#pragma once

#include <memory>

namespace korvanta {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetPos(int position) = 0;
};

class NullProgress final : public Progress {
public:
    void SetRange(int, int) override {}
    void SetPos(int) override {}
};

// Creates the progress display for one piece of work; destroying it closes the display.
class ProgressFactory {
public:
    virtual ~ProgressFactory() = default;
    virtual std::unique_ptr<Progress> CreateProgress() = 0;
};

class NullProgressFactory final : public ProgressFactory {
public:
    std::unique_ptr<Progress> CreateProgress() override { return std::make_unique<NullProgress>(); }
};

}  // namespace korvanta
