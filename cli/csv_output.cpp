// The `--csv` header and lines: the same slots as `--json`, in a form spreadsheets open.
#include "cli/csv_output.h"

#include <cstring>

#include "resources/text_ids.h"

namespace {

std::string WithoutTrailingBlanks(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

std::string CsvField(const std::string& rawText)
{
    // A spreadsheet runs a cell that begins like a formula; a photo's text must stay text. The
    // quote in front is what spreadsheets themselves take as "this is text".
    const bool looksLikeFormula = !rawText.empty() && rawText[0] != 0 && std::strchr("=+-@\t\r", rawText[0]);
    const std::string text = looksLikeFormula ? "'" + rawText : rawText;
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string field = "\"";
    for (char c : text) {
        if (c == '"')
            field += '"';
        field += c;
    }
    return field + "\"";
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

std::string CsvLine(const std::string& displayAddress, const AddressOutcome& outcome)
{
    std::string line = CsvField(displayAddress) + "," + std::to_string(outcome.messageId);
    // Whatever a failed reading left in the record is not information about the picture.
    const bool isRead = outcome.messageId == MessageOk;
    for (int i = 0; i < SlotCount; ++i)
        line += "," + (isRead ? CsvField(SlotToUtf8(outcome.slots[i])) : std::string());
    return line;
}
