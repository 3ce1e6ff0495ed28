// The native string table: the same list of texts that the Windows resource script compiles.
#include "resources/text_table.h"

#include <algorithm>
#include <iterator>

#include "resources/code_page_936.h"

namespace {

const TextEntry Texts[] = {
#define ORVANE_TEXT(id, text) {id, text},
#include "resources/strings.def"
#undef ORVANE_TEXT
};

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
    const char* text = FindText(id);
    if (!text) {
        buffer[0] = 0;
        return 0;
    }
    return Utf8ToCp936(text, buffer, size);
}
