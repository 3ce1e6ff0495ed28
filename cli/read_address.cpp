// A reading attempt, of an address as ShowDlg makes it or of a local path, and what the front
// end shows of it.
#include "cli/read_address.h"

#include <cstring>
#include <memory>

#include "cli/local_address.h"
#include "record/view_record.h"
#include "resources/code_page_936.h"
#include "view/default_platform.h"
#include "view/read_picture.h"

namespace {

// Every member that is read afterwards is written here, so a reused outcome needs no clearing.
void TakeRecord(AddressOutcome& outcome, ViewRecord& record, TextId messageId)
{
    outcome.messageId = messageId;
    record.LoadText(messageId, outcome.message);  // the reported text, cut as reported
    memcpy(outcome.slots, record.slots, sizeof outcome.slots);
    outcome.rowCount = BuildSlotRows(record, outcome.rows);
}

}  // namespace

void ReadAddressInto(AddressOutcome& outcome, const std::string& address, Handle moduleInstance,
                     const Platform& platform)
{
    ViewRecord record(moduleInstance, platform);
    // ShowDlg's one allocation: the address copy that ClassifyAddress rewrites in place.
    std::unique_ptr<char[]> copy(new char[address.size() + 1]);
    memcpy(copy.get(), address.c_str(), address.size() + 1);
    TakeRecord(outcome, record, ReadPicture(record, copy.get()));
    outcome.dialogAddress[0] = 0;
    if (outcome.messageId != MessageBadAddress)
        CopyAddress(outcome.dialogAddress, copy.get());  // the dialog's address, as ShowDlg hands it over
}

void ReadLocalPathInto(AddressOutcome& outcome, const std::string& path, Handle moduleInstance,
                       const Platform& platform, bool wantsDialogAddress)
{
    ViewRecord record(moduleInstance, platform);
#ifdef _WIN32
    TakeRecord(outcome, record, ReadPicturePath(record, PathForReading(path).c_str()));
#else
    TakeRecord(outcome, record, ReadPicturePath(record, path.c_str()));  // the name's own bytes
#endif
    outcome.dialogAddress[0] = 0;
    if (wantsDialogAddress)
        CopyAddress(outcome.dialogAddress, DialogFormOfPath(path, CurrentDirectory(), NativePathStyle).c_str());
}

void ReadArgumentInto(AddressOutcome& outcome, const std::string& argument, Handle moduleInstance,
                      bool wantsDialogAddress)
{
    if (IsAddressArgument(argument))
        ReadAddressInto(outcome, argument, moduleInstance, DefaultPlatform());
    else
        ReadLocalPathInto(outcome, argument, moduleInstance, LocalPathPlatform(), wantsDialogAddress);
}

std::string SlotToUtf8(const char (&text)[SlotSize]) { return Cp936ToUtf8(text, strnlen(text, SlotSize - 1)); }
