// A reading attempt made as ShowDlg makes it, and what the front end shows of it.
#include "cli/read_address.h"

#include <cstring>
#include <memory>

#include "exif/view_record.h"
#include "resources/code_page_936.h"
#include "view/read_picture.h"

AddressOutcome ReadAddress(const std::string& address, Handle moduleInstance, const Platform& platform)
{
    AddressOutcome outcome;
    ViewRecord record(moduleInstance, platform);
    // ShowDlg's one allocation: the address copy that ClassifyAddress rewrites in place.
    std::unique_ptr<char[]> copy(new char[address.size() + 1]);
    memcpy(copy.get(), address.c_str(), address.size() + 1);
    outcome.messageId = ReadPicture(record, copy.get());
    record.LoadText(outcome.messageId, outcome.message);  // the reported text, cut as reported
    if (outcome.messageId != MessageBadAddress)
        CopyAddress(outcome.dialogAddress, copy.get());  // the dialog's address, as ShowDlg hands it over
    memcpy(outcome.slots, record.slots, sizeof outcome.slots);
    outcome.rowCount = BuildSlotRows(record, outcome.rows);
    return outcome;
}

std::string SlotToUtf8(const char (&text)[SlotSize]) { return Cp936ToUtf8(text, strnlen(text, SlotSize - 1)); }
