// Code page 936 as Windows defines it, to and from Unicode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t ReplacementCharacter = 0xFFFD;

// Decodes the character at the start of bytes[0..length): its code point and how many bytes it
// took. A byte that starts no valid character gives U+FFFD and takes one byte, so decoding
// goes on with the next byte (a lead byte before an invalid trail byte, a lead byte at the end).
uint32_t DecodeCp936(const uint8_t* bytes, size_t length, size_t* consumed);

// The whole text as UTF-8, invalid sequences as U+FFFD.
std::string Cp936ToUtf8(const char* text, size_t length);

// LoadStringA-style conversion: the UTF-8 text in code page 936 into buffer, cut at size - 1
// bytes without splitting a character, always terminated; returns the bytes written.
// A character that the code page lacks becomes '?', as WideCharToMultiByte's default.
int Utf8ToCp936(const char* utf8, char* buffer, int size);
