// The progress line: plain text and blanks, so that any terminal (and the Windows console)
// draws it, redrawn after a carriage return.
#include "cli/progress_line.h"

#include <cstdio>
#include <string>

ProgressLine::ProgressLine(std::ostream& err, size_t total, bool isShown, unsigned columns,
                           std::chrono::milliseconds interval)
    // The last column is left free: a terminal that wraps there would move to the next line.
    : err_(err), total_(total), isShown_(isShown && total > ShownFrom && columns != 1),
      widest_(columns ? columns - 1 : 0), interval_(interval), start_(std::chrono::steady_clock::now()), lastDrawn_(start_)
{
}

void ProgressLine::Update(size_t done)
{
    if (!isShown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDrawn_ < interval_ && done != total_)
        return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char text[96];
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const int length = total_ == UnknownTotal
                           ? std::snprintf(text, sizeof text, "%zu files, %.0f files/s, %.1f s", done, rate, seconds)
                           : std::snprintf(text, sizeof text, "%zu/%zu files, %.0f files/s, %.1f s", done, total_,
                                           rate, seconds);
    size_t written = length > 0 ? static_cast<size_t>(length) : 0;
    written = written < sizeof text ? written : sizeof text - 1;
    written = widest_ && written > widest_ ? widest_ : written;
    text[written] = 0;
    // Blanks cover what a longer line before left behind.
    err_ << '\r' << text << std::string(drawnLength_ > written ? drawnLength_ - written : 0, ' ') << std::flush;
    drawnLength_ = written;
}

void ProgressLine::Clear()
{
    if (drawnLength_ == 0)
        return;
    err_ << '\r' << std::string(drawnLength_, ' ') << '\r' << std::flush;
    drawnLength_ = 0;
}
