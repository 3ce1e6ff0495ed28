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
    // A spreadsheet runs a cell that begins like a formula; a photo's text must stay text. The
    // quote in front is what spreadsheets themselves take as "this is text".
    const bool looksLikeFormula = length > 0 && text[0] != 0 && std::strchr("=+-@\t\r", text[0]);
    bool needsQuotes = false;
    for (size_t i = 0; i < length && !needsQuotes; ++i)
        needsQuotes = text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n';
    if (needsQuotes)
        out += '"';
    if (looksLikeFormula)
        out += '\'';
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '"')
            out += '"';
        out += text[i];
    }
    if (needsQuotes)
        out += '"';
}

std::string CsvField(const std::string& text)
{
    std::string field;
    AppendCsvField(field, text.data(), text.size());
    return field;
}

std::string CsvHeader(TextLoader loadText, Handle module)
{
    std::string header = "address,message_id";
    for (int i = 0; i < SlotCount; ++i) {
        char label[SlotSize] = {};
        loadText(module, TextSlotLabelBase + static_cast<TextId>(i), label, SlotSize);
        label[SlotSize - 1] = 0;
        header += "," + CsvField(WithoutTrailingBlanks(SlotToUtf8(label)));
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

std::string CsvLine(const std::string& displayAddress, const AddressOutcome& outcome)
{
    std::string line, scratch;
    AppendCsvLine(line, displayAddress, outcome, scratch);
    return line;
}
