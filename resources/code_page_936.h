// Code page 936 as Windows defines it, to and from Unicode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t ReplacementCharacter = 0xFFFD;

// Lead bytes of double-byte characters; every other byte is a character of its own (0x80 is
// the euro sign).
constexpr uint8_t Cp936FirstLead = 0x81;
constexpr uint8_t Cp936LastLead = 0xFE;
inline bool IsCp936LeadByte(char text)
{
    const auto value = static_cast<uint8_t>(text);
    return value >= Cp936FirstLead && value <= Cp936LastLead;
}

// How many bytes of text[0..length) fit into room bytes without splitting a double-byte
// character, as LoadStringA cuts; a lead byte at the very end counts as a character alone.
size_t Cp936FittingLength(const char* text, size_t length, size_t room);

// Decodes the character at the start of bytes[0..length): its code point and how many bytes it
// took. Valid are the ASCII bytes, 0x80 (U+20AC), 0xFF (U+F8F5) and the lead/trail pairs that
// Windows defines; on these MultiByteToWideChar(936, MB_ERR_INVALID_CHARS) agrees, except that
// it refuses 0xFF alone (a private-use character), which its lenient mode maps as here.
// Anything else - a lead byte before a byte that makes no defined pair with it, or a lead byte
// at the end - gives U+FFFD and takes the lead byte only, so decoding goes on with the next
// byte. (Windows' lenient mode instead turns such a lead byte and any non-zero byte after it
// into one '?'.) An empty input reads nothing: U+FFFD, and consumed is 0.
uint32_t DecodeCp936(const uint8_t* bytes, size_t length, size_t* consumed);

// The whole text as UTF-8, invalid sequences as U+FFFD.
std::string Cp936ToUtf8(const char* text, size_t length);
// The same, appended to out: a caller that converts many texts reuses one buffer.
void AppendCp936AsUtf8(std::string& out, const char* text, size_t length);

// LoadStringA-style conversion: the UTF-8 text in code page 936 into buffer, cut at size - 1
// bytes without splitting a character, always terminated; returns the bytes written.
// A character without a code of its own becomes '?', as WideCharToMultiByte with
// WC_NO_BEST_FIT_CHARS; without that flag (and in LoadStringA) Windows writes a look-alike for
// a few hundred characters, e.g. U+00A5 as A3 A4, none of which the string table uses.
int Utf8ToCp936(const char* utf8, char* buffer, int size);
