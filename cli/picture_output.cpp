// The plain list and the JSON line of a picture, made straight into the output buffer: per
// photo the front end then costs a few appends, not a string for every text.
#include "cli/picture_output.h"

#include <cstring>

#include "cli/json_text.h"
#include "cli/visible_text.h"
#include "resources/code_page_936.h"
#include "resources/text_ids.h"

namespace {

void AppendSlotText(std::string& out, const char (&text)[SlotSize])
{
    AppendCp936AsUtf8(out, text, strnlen(text, SlotSize - 1));
}

void AppendSlotJson(std::string& out, const char (&text)[SlotSize], std::string& scratch)
{
    scratch.clear();
    AppendSlotText(scratch, text);
    AppendJsonString(out, scratch.data(), scratch.size());
}

}  // namespace

void AppendArgumentForDisplay(std::string& out, const std::string& argument)
{
#ifdef _WIN32
    AppendCp936AsUtf8(out, argument.data(), argument.size());  // the ANSI code page's arguments
#else
    AppendValidUtf8(out, argument.data(), argument.size());
#endif
}

void AppendVisibleArgument(std::string& out, const std::string& argument)
{
    const size_t start = out.size();
    AppendArgumentForDisplay(out, argument);
    MakeControlsVisible(out, start);
}

std::string VisibleArgument(const std::string& argument)
{
    std::string shown;
    AppendVisibleArgument(shown, argument);
    return shown;
}

void AppendJsonOutcome(std::string& out, const std::string& address, const AddressOutcome& outcome,
                       std::string& scratch)
{
    out += "{\"address\": ";
    scratch.clear();
    AppendArgumentForDisplay(scratch, address);
    AppendJsonString(out, scratch.data(), scratch.size());
    // The display form replaces what is not UTF-8: the bytes themselves tell two such names apart.
    out += ", \"address_hex\": \"";
    AppendHexBytes(out, address.data(), address.size());
    out += "\", \"message_id\": ";
    out += std::to_string(outcome.messageId);
    out += ", \"message\": ";
    AppendSlotJson(out, outcome.message, scratch);
    out += ", \"slots\": [";
    for (int i = 0; i < SlotCount; ++i) {
        if (i)
            out += ", ";
        AppendSlotJson(out, outcome.slots[i], scratch);
    }
    out += "], \"slots_hex\": [";
    for (int i = 0; i < SlotCount; ++i) {
        out += i ? ", \"" : "\"";
        AppendHexBytes(out, outcome.slots[i], strnlen(outcome.slots[i], SlotSize - 1));
        out += '"';
    }
    out += "]}";
}

void LoadRowLabels(RowLabels& labels, TextLoader loadText, Handle module)
{
    for (int i = 0; i < SlotCount; ++i) {
        labels.cp936[i][0] = 0;
        loadText(module, TextSlotLabelBase + static_cast<TextId>(i), labels.cp936[i], SlotSize);
        labels.cp936[i][SlotSize - 1] = 0;
        labels.utf8[i].clear();
        AppendSlotText(labels.utf8[i], labels.cp936[i]);
        MakeControlsVisible(labels.utf8[i], 0);
    }
}

void AppendRows(std::string& out, const AddressOutcome& outcome, const RowLabels* labels)
{
    for (int i = 0; i < outcome.rowCount; ++i) {
        const SlotRow& row = outcome.rows[i];
        const bool isKnown = labels && row.slot >= 0 && row.slot < SlotCount &&
                             strncmp(labels->cp936[row.slot], row.label, SlotSize) == 0;
        const size_t labelStart = out.size();
        if (isKnown) {
            out += labels->utf8[row.slot];
        } else {
            AppendSlotText(out, row.label);
            MakeControlsVisible(out, labelStart);
        }
        out += '\t';
        const size_t textStart = out.size();
        AppendSlotText(out, outcome.rows[i].text);
        MakeControlsVisible(out, textStart);
        out += '\n';
    }
}
