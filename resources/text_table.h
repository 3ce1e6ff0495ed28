// The string table of the native build, loaded as code page 936 text.
#pragma once

#include <cstddef>

#include "resources/text_ids.h"

struct TextEntry {
    TextId id;
    const char* utf8;
};

// Every text of the table, in ascending id order.
const TextEntry* TextTable(size_t* count);

// The UTF-8 text of id, or nullptr when the table has no such id.
const char* FindText(TextId id);

// LoadStringA semantics: code page 936 bytes, cut at size - 1, terminated; 0 for an unknown id.
int LoadTextCp936(TextId id, char* buffer, int size);
