// One reading attempt, of an address as ShowDlg makes it or of a local path, and its outcome.
#pragma once

#include <string>

#include "record/info_slot.h"
#include "record/platform.h"
#include "ui/list_text.h"
#include "ui/slot_list.h"

struct AddressOutcome {
    TextId messageId = 0;         // the one message reported, 300 to 305
    char message[SlotSize] = {};  // its text, code page 936
    char slots[SlotCount][SlotSize] = {};
    SlotRow rows[SlotCount] = {};
    int rowCount = 0;
    char dialogAddress[AddressSize] = {};  // what the dialog shows and saves: classified, cut
};

// Each reads into an outcome that is reused: every member that is read afterwards is overwritten.
// A fresh record reads address (a picture address as the browser hands it) through ReadPicture:
// ClassifyAddress, then ReadExif.
void ReadAddressInto(AddressOutcome& outcome, const std::string& address, Handle moduleInstance,
                     const Platform& platform);
// A fresh record reads the file at path, a local path as it stands, through ReadPicturePath;
// platform opens local paths. The dialog's address (the path in the dialog's form, which needs
// the current directory) is made only when wanted; otherwise it is empty.
void ReadLocalPathInto(AddressOutcome& outcome, const std::string& path, Handle moduleInstance,
                       const Platform& platform, bool wantsDialogAddress);
// A command-line argument: an address by the address rules, anything else as a local path, each
// over this build's platform for it.
void ReadArgumentInto(AddressOutcome& outcome, const std::string& argument, Handle moduleInstance,
                      bool wantsDialogAddress);

// A slot, label or message text (code page 936, at most 63 bytes) as UTF-8.
std::string SlotToUtf8(const char (&text)[SlotSize]);
