// The `--csv` header and lines: the same slots as `--json`, in a form spreadsheets open.
#include "cli/csv_output.h"

#include <cstring>

#include "resources/code_page_936.h"
#include "resources/text_ids.h"

namespace {

std::string WithoutTrailingBlanks(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

void AppendCsvField(std::string& out, const char* text, size_t length)
{
    if (length == 0)
        return;  // most of a picture's 41 slots
    // A spreadsheet runs a cell that begins like a formula; a photo's text must stay text. The
    // quote in front is what spreadsheets themselves take as "this is text".
    const bool looksLikeFormula = text[0] != 0 && std::strchr("=+-@\t\r", text[0]);
    bool needsQuotes = false;
    for (size_t i = 0; i < length && !needsQuotes; ++i) {
        const char c = text[i];
        needsQuotes = c <= ',' && (c == ',' || c == '"' || c == '\r' || c == '\n');  // one compare for most
    }
    if (needsQuotes)
        out += '"';
    if (looksLikeFormula)
        out += '\'';
    size_t plain = 0;  // each quote is doubled; the runs between are appended whole
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '"') {
            out.append(text + plain, i + 1 - plain);
            out += '"';
            plain = i + 1;
        }
    }
    out.append(text + plain, length - plain);
    if (needsQuotes)
        out += '"';
}

std::string CsvHeader(TextLoader loadText, Handle module)
{
    std::string header = "address,message_id";
    for (int i = 0; i < SlotCount; ++i) {
        char label[SlotSize] = {};
        loadText(module, TextSlotLabelBase + static_cast<TextId>(i), label, SlotSize);
        label[SlotSize - 1] = 0;
        const std::string name = WithoutTrailingBlanks(SlotToUtf8(label));
        header += ',';
        AppendCsvField(header, name.data(), name.size());
    }
    return header;
}

void AppendCsvLine(std::string& out, const std::string& displayAddress, const AddressOutcome& outcome,
                   std::string& scratch)
{
    AppendCsvField(out, displayAddress.data(), displayAddress.size());
    out += ',';
    out += std::to_string(outcome.messageId);
    // Whatever a failed reading left in the record is not information about the picture.
    const bool isRead = outcome.messageId == MessageOk;
    for (int i = 0; i < SlotCount; ++i) {
        out += ',';
        if (!isRead)
            continue;
        scratch.clear();
        AppendCp936AsUtf8(scratch, outcome.slots[i], strnlen(outcome.slots[i], SlotSize - 1));
        AppendCsvField(out, scratch.data(), scratch.size());
    }
}
