// A reading attempt made as ShowDlg makes it; the outcome read back from the error information.
#include "cli/read_address.h"

#include <cstring>
#include <memory>

#include "exif/error_info.h"
#include "exif/view_record.h"

namespace {

// The message is known by its text, as the script knows it: which of 300 to 305 it is.
TextId FindMessageId(ViewRecord& record, const char (&description)[SlotSize])
{
    for (TextId id = MessageBadAddress; id <= MessageOk; ++id) {
        char text[SlotSize];
        record.LoadText(id, text);
        if (strcmp(text, description) == 0)
            return id;
    }
    return 0;
}

}  // namespace

AddressOutcome ReadAddress(const std::string& address, Handle moduleInstance, const Platform& platform)
{
    AddressOutcome outcome;
    ClearThreadErrorInfo();
    ViewRecord record(moduleInstance, platform);
    // ShowDlg's one allocation: the address copy that ClassifyAddress rewrites in place.
    std::unique_ptr<char[]> copy(new char[address.size() + 1]);
    memcpy(copy.get(), address.c_str(), address.size() + 1);
    if (record.ClassifyAddress(copy.get())) {
        record.ReadExif(copy.get());
        CopyAddress(outcome.dialogAddress, copy.get());
    }

    char description[SlotSize];
    Guid interfaceId{};
    if (GetThreadErrorInfo(description, &interfaceId)) {
        memcpy(outcome.message, description, SlotSize);
        outcome.message[SlotSize - 1] = 0;
        outcome.messageId = FindMessageId(record, outcome.message);
    }
    memcpy(outcome.slots, record.slots, sizeof outcome.slots);
    outcome.rowCount = BuildSlotRows(record, outcome.rows);
    return outcome;
}
