// One reading attempt, as ShowDlg makes it, and its outcome as the calling script sees it.
#pragma once

#include <string>

#include "exif/info_slot.h"
#include "exif/platform.h"
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

// A fresh record reads address (a picture address as the browser hands it) through
// ReadPicture: ClassifyAddress, then ReadExif.
AddressOutcome ReadAddress(const std::string& address, Handle moduleInstance, const Platform& platform);

// A slot, label or message text (code page 936, at most 63 bytes) as UTF-8.
std::string SlotToUtf8(const char (&text)[SlotSize]);
