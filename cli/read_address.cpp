// A reading attempt made as ShowDlg makes it, and what the front end shows of it.
#include "cli/read_address.h"

#include <cstring>
#include <memory>

#include "exif/view_record.h"
#include "resources/code_page_936.h"
#include "cli/local_address.h"
#include "view/default_platform.h"
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

AddressOutcome ReadLocalPath(const std::string& path, Handle moduleInstance, const Platform& platform)
{
    AddressOutcome outcome;
    ViewRecord record(moduleInstance, platform);
    outcome.messageId = ReadPicturePath(record, PathForReading(path).c_str());
    record.LoadText(outcome.messageId, outcome.message);
    CopyAddress(outcome.dialogAddress, DialogFormOfPath(path, CurrentDirectory(), NativePathStyle).c_str());
    memcpy(outcome.slots, record.slots, sizeof outcome.slots);
    outcome.rowCount = BuildSlotRows(record, outcome.rows);
    return outcome;
}

AddressOutcome ReadArgument(const std::string& argument, Handle moduleInstance)
{
    if (IsAddressArgument(argument))
        return ReadAddress(argument, moduleInstance, DefaultPlatform());
    return ReadLocalPath(argument, moduleInstance, LocalPathPlatform());
}

std::string SlotToUtf8(const char (&text)[SlotSize]) { return Cp936ToUtf8(text, strnlen(text, SlotSize - 1)); }
