// A one-line progress display on standard error for long runs: files done of found, rate and
// time, redrawn in place and cleared at the end.
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>

class ProgressLine {
public:
    static constexpr std::chrono::milliseconds RedrawInterval{200};

    // Shown only when isShown (standard error is a terminal, not turned off) and the run has
    // more than ShownFrom files: a short run ends before a display could say anything. The line
    // keeps within columns (0: any width): a line that wrapped could not be drawn over.
    ProgressLine(std::ostream& err, size_t total, bool isShown, unsigned columns = 0,
                 std::chrono::milliseconds interval = RedrawInterval);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine() { Clear(); }

    static constexpr size_t ShownFrom = 300;
    // The total of a list that is read as it comes: the line counts the files done alone.
    static constexpr size_t UnknownTotal = static_cast<size_t>(-1);

    // done files of the total; redraws at most once an interval.
    void Update(size_t done);
    // Takes the line away, before a line of its own is written to err and at the end.
    void Clear();

private:
    std::ostream& err_;
    size_t total_;
    bool isShown_;
    size_t widest_;  // 0: no limit
    std::chrono::milliseconds interval_;
    size_t drawnLength_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
};
