// One reading attempt, as ShowDlg makes it, and its outcome as the calling script sees it.
#pragma once

#include <string>

#include "exif/info_slot.h"
#include "exif/platform.h"
#include "ui/list_text.h"
#include "ui/slot_list.h"

struct AddressOutcome {
    TextId messageId = 0;  // 300 to 305; 0 when the thread's error information held no known text
    char message[SlotSize] = {};  // the error description, code page 936
    char slots[SlotCount][SlotSize] = {};
    SlotRow rows[SlotCount] = {};
    int rowCount = 0;
    char dialogAddress[AddressSize] = {};  // what the dialog shows and saves: classified, cut
};

// A fresh record reads address (a picture address as the browser hands it): ClassifyAddress,
// then ReadExif. The outcome's message comes from the thread's error information alone.
AddressOutcome ReadAddress(const std::string& address, Handle moduleInstance, const Platform& platform);
