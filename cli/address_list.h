// A list of addresses and paths, one a line, read a part at a time as it arrives.
#pragma once

#include <cstddef>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

class AddressList {
public:
    // "-" is standard input; anything else a file, opened here. isOpen() tells whether it could be.
    explicit AddressList(const std::string& name);
    AddressList(const AddressList&) = delete;
    AddressList& operator=(const AddressList&) = delete;

    bool isOpen() const { return in_ != nullptr; }
    // The system's reason why the list could not be opened or read further ("" when it could).
    const std::string& problem() const { return problem_; }

    // Replaces lines with the next lines that name something, at most `most`: an empty line
    // (or one of a lone CR, as a list made on Windows ends its lines) is skipped, and a line's
    // CR before its LF is not part of it. Answers false when nothing is left; a list that could
    // not be read further ends there, and problem() tells why.
    bool Next(std::vector<std::string>& lines, size_t most);

private:
    std::ifstream file_;
    std::istream* in_ = nullptr;
    std::string problem_;
};
