// The native string table: the same list of texts that the Windows resource script compiles.
#include "resources/text_table.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "resources/code_page_936.h"

namespace {

const TextEntry Texts[] = {
#define ORVANE_TEXT(id, text) {id, text},
#include "resources/strings.def"
#undef ORVANE_TEXT
};

// No text grows in code page 936: a character of two or three UTF-8 bytes takes two, or one '?'.
constexpr size_t Cp936PoolSize = 0
#define ORVANE_TEXT(id, text) + sizeof(text)
#include "resources/strings.def"
#undef ORVANE_TEXT
    ;

// Every text converted once, on first use: converting at each load cost more than the rest of
// reading a photograph and listing its rows.
struct Cp936Texts {
    const char* text[std::size(Texts)];
    size_t length[std::size(Texts)];
    char pool[Cp936PoolSize];
};

const Cp936Texts& ConvertedTexts()
{
    static const Cp936Texts* const converted = [] {
        static Cp936Texts table;
        size_t used = 0;
        for (size_t i = 0; i < std::size(Texts); ++i) {
            int room = static_cast<int>(strlen(Texts[i].utf8) + 1);
            table.text[i] = table.pool + used;
            table.length[i] = static_cast<size_t>(Utf8ToCp936(Texts[i].utf8, table.pool + used, room));
            used += table.length[i] + 1;
        }
        return &table;
    }();
    return *converted;
}

}  // namespace

const TextEntry* TextTable(size_t* count)
{
    *count = std::size(Texts);
    return Texts;
}

const char* FindText(TextId id)
{
    auto found = std::lower_bound(std::begin(Texts), std::end(Texts), id,
                                  [](const TextEntry& e, TextId wanted) { return e.id < wanted; });
    return found != std::end(Texts) && found->id == id ? found->utf8 : nullptr;
}

int LoadTextCp936(TextId id, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    auto found = std::lower_bound(std::begin(Texts), std::end(Texts), id,
                                  [](const TextEntry& e, TextId wanted) { return e.id < wanted; });
    if (found == std::end(Texts) || found->id != id) {
        buffer[0] = 0;
        return 0;
    }
    const Cp936Texts& converted = ConvertedTexts();
    const auto index = static_cast<size_t>(found - std::begin(Texts));
    const char* text = converted.text[index];
    const size_t length = converted.length[index];
    const size_t cut = Cp936FittingLength(text, length, static_cast<size_t>(size - 1));
    memcpy(buffer, text, cut);
    buffer[cut] = 0;
    return static_cast<int>(cut);
}
