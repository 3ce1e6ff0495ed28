// The pieces of the front end's JSON lines: strings, hex bytes, valid UTF-8.
#pragma once

#include <cstddef>
#include <string>

// Each appends to out: the output of many pictures is made in one reused buffer.
// A JSON string literal with its quotes: '"' and '\' escaped, control characters as \u00XX.
void AppendJsonString(std::string& out, const char* utf8, size_t length);
// The bytes in lower-case hexadecimal, two digits each, nothing between them.
void AppendHexBytes(std::string& out, const char* bytes, size_t length);
// The text with every byte that starts no valid UTF-8 character replaced by U+FFFD.
void AppendValidUtf8(std::string& out, const char* text, size_t length);
