// The registrar script's tokens: words, quoted texts, braces and '='.
#pragma once

#include "atl/registrar/registrar.h"

enum class Token { Word, Quoted, Open, Close, Equals, End };

// Reads the script one token at a time, checking each whole as it comes. A quoted text is only
// measured then, and decoded again when asked for, into a buffer its caller sizes by Length():
// a name's is fixed, a value's allocated exactly. Refusals go into the outcome as "line N: why".
class ScriptTokens {
public:
    ScriptTokens(const char* text, size_t length, Utf8Text modulePath, Cp936Decoder decode,
                 RegistrarOutcome& outcome)
        : text_(text), length_(length), modulePath_(modulePath), decode_(decode), outcome_(outcome) {}

    // Moves to the next token; false on bytes the grammar has no place for.
    bool Next();
    Token Kind() const { return token_; }
    int Line() const { return tokenLine_; }
    // A word's bytes as they stand in the script.
    Utf8Text Word() const { return {text_ + start_, textLength_}; }
    // A word's bytes, or the UTF-8 of a quoted text with its quotes and modulePath in place.
    size_t Length() const { return textLength_; }
    // Writes those Length() bytes to out.
    bool Copy(char* out);
    bool Fail(const char* why);

private:
    bool ReadWord();
    bool Expand(char* out, size_t room, size_t& length, size_t& end);
    bool Decode(size_t& run, size_t at, char* out, size_t room, size_t& length);
    bool Emit(const char* bytes, size_t count, char* out, size_t room, size_t& length);

    const char* text_;
    size_t length_;
    Utf8Text modulePath_;
    Cp936Decoder decode_;
    RegistrarOutcome& outcome_;
    size_t position_ = 0;
    int line_ = 1;
    Token token_ = Token::End;
    int tokenLine_ = 1;
    size_t start_ = 0;  // a word's first byte, or a quoted text's first byte after the quote
    size_t textLength_ = 0;
};

// The outcome's message: "line N: why".
void DescribeAtLine(RegistrarOutcome& outcome, int line, const char* why);
