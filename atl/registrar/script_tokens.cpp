// Reads registrar script text into tokens, refusing bytes that the grammar has no place for.
#include "atl/registrar/script_tokens.h"

#include "resources/code_page_936.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char ModuleMark[] = "%MODULE%";
constexpr size_t ModuleMarkLength = sizeof ModuleMark - 1;
// Far beyond any registry value; keeps every length sum and allocation well inside size_t.
constexpr size_t LongestQuotedText = size_t{1} << 24;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

}  // namespace

void DescribeAtLine(RegistrarOutcome& outcome, int line, const char* why)
{
    char number[12] = {};
    std::to_chars(number, number + sizeof number - 1, line);
    size_t used = 0;
    for (const char* part : {"line ", static_cast<const char*>(number), ": ", why})
        for (; *part && used + 1 < sizeof outcome.message; ++part)
            outcome.message[used++] = *part;
    outcome.message[used] = '\0';
}

bool ScriptTokens::Fail(const char* why)
{
    outcome_.kind = RegistrarOutcome::Kind::ScriptRefused;
    DescribeAtLine(outcome_, tokenLine_, why);
    return false;
}

bool ScriptTokens::Next()
{
    for (; position_ < length_ && IsBlank(text_[position_]); ++position_)
        if (text_[position_] == '\n')
            ++line_;
    tokenLine_ = line_;
    start_ = position_;
    textLength_ = 0;
    if (position_ == length_) {
        token_ = Token::End;
        return true;
    }
    if (text_[position_] != '\'')
        return ReadWord();
    token_ = Token::Quoted;
    ++start_;
    return Expand(nullptr, LongestQuotedText, textLength_, position_);
}

bool ScriptTokens::ReadWord()
{
    while (position_ < length_ && !IsBlank(text_[position_]))
        ++position_;
    textLength_ = position_ - start_;
    const char* word = text_ + start_;
    token_ = Token::Word;
    if (textLength_ == 1 && (*word == '{' || *word == '}' || *word == '='))
        token_ = *word == '{' ? Token::Open : *word == '}' ? Token::Close : Token::Equals;
    if (token_ != Token::Word)
        return true;
    size_t braces = textLength_ > 2 && word[0] == '{' && word[textLength_ - 1] == '}' ? 1 : 0;
    for (size_t at = braces; at < textLength_ - braces; ++at)
        if (!IsWordByte(word[at]))
            return Fail("a name with other characters than letters, digits, '.', '_' and '-' must be quoted");
    return true;
}

bool ScriptTokens::Copy(char* out)
{
    if (token_ != Token::Quoted) {
        std::memcpy(out, text_ + start_, textLength_);
        return true;
    }
    size_t length = 0;
    size_t end = 0;
    return Expand(out, textLength_, length, end) &&
           (length == textLength_ || Fail("quoted text that decodes two ways"));
}

// Walks quoted text from start_ to its closing quote: code page 936 in runs of whole characters,
// '' for one quote, %MODULE% for the module's path. Counts its UTF-8 in length and writes it to
// out unless out is null; end is the position after the closing quote. A lead byte always takes
// the next byte with it, so a trail byte is never read as a quote or a percent sign.
bool ScriptTokens::Expand(char* out, size_t room, size_t& length, size_t& end)
{
    length = 0;
    size_t run = start_;  // the code page 936 bytes not yet decoded start here
    for (size_t at = start_;;) {
        if (at == length_)
            return Fail("quoted text without its closing quote");
        const char* byte = text_ + at;
        const size_t left = length_ - at;
        const bool isQuote = *byte == '\'';
        const bool isMark = *byte == '%';
        if (isMark && (left < ModuleMarkLength || std::memcmp(byte, ModuleMark, ModuleMarkLength) != 0))
            return Fail("'%' other than in %MODULE%");
        if ((isQuote || isMark || at - run >= Cp936DecodeRun - 1) && !Decode(run, at, out, room, length))
            return false;
        if (isQuote && (left == 1 || byte[1] != '\'')) {
            end = at + 1;
            return true;
        }
        if (isQuote || isMark) {
            if (!Emit(isQuote ? "'" : modulePath_.data, isQuote ? 1 : modulePath_.length, out, room, length))
                return false;
            at += isQuote ? 2 : ModuleMarkLength;
            run = at;
            continue;
        }
        if (static_cast<uint8_t>(*byte) < 0x20 && *byte != '\t')
            return Fail("a control byte or a line end in quoted text");
        const size_t width = IsCp936LeadByte(*byte) ? 2 : 1;
        if (width > left)
            return Fail("a double-byte character cut off by the end of the script");
        at += width;
    }
}

// Decodes the run of whole characters [run, at), at most Cp936DecodeRun bytes.
bool ScriptTokens::Decode(size_t& run, size_t at, char* out, size_t room, size_t& length)
{
    char utf8[3 * Cp936DecodeRun];
    size_t written = 0;
    if (at > run && (!decode_(text_ + run, at - run, utf8, written) || written > sizeof utf8))
        return Fail("quoted text that is no code page 936 text");
    run = at;
    return Emit(utf8, written, out, room, length);
}

bool ScriptTokens::Emit(const char* bytes, size_t count, char* out, size_t room, size_t& length)
{
    if (count > room - length)
        return Fail("quoted text longer than 16 MiB");
    if (out && count > 0)
        std::memcpy(out + length, bytes, count);
    length += count;
    return true;
}
