// The list of --from: lines as they arrive, so that a list of millions never stands in memory.
#include "cli/address_list.h"

#include <cerrno>
#include <iostream>

#include "cli/system_reason.h"

AddressList::AddressList(const std::string& name)
{
    if (name == "-") {
        in_ = &std::cin;
        return;
    }
    errno = 0;
    file_.open(name, std::ios::binary);
    if (file_.is_open())
        in_ = &file_;
    else
        problem_ = errno ? SystemReason(static_cast<unsigned long>(errno)) : "it cannot be opened";
}

bool AddressList::Next(std::vector<std::string>& lines, size_t most)
{
    lines.clear();
    if (!in_)
        return false;
    std::string line;
    while (lines.size() < most) {
        errno = 0;
        if (!std::getline(*in_, line)) {
            // A folder opens as a file here and fails at its first read, which sets only errno.
            if (in_->bad() || errno)
                problem_ = errno ? SystemReason(static_cast<unsigned long>(errno)) : "it cannot be read";
            break;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    return !lines.empty();
}
