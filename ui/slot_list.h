// Which info slots the properties list shows, and the rows it shows for them: portable, so
// the dialog and the command-line front end list exactly the same rows.
#pragma once

#include "record/info_slot.h"
#include "record/platform.h"

class ViewRecord;

// LoadStringA semantics, as Platform::loadText.
using TextLoader = int (*)(Handle module, TextId id, char* buffer, int size);

// A slot is listed unless its first byte is zero or its first two bytes are both blanks.
bool IsSlotListed(const char* slot);

struct SlotRow {
    InfoSlot slot;
    char label[SlotSize];  // string 110 + slot, trailing blanks kept
    char text[SlotSize];   // a copy of the slot text, at most 63 bytes
};

// The rows of the listed slots, in slot order; returns how many were written.
int BuildSlotRows(const char* const (&slots)[SlotCount], TextLoader loadText, Handle module,
                  SlotRow (&rows)[SlotCount]);

// The same for a record's own slots, with its module and platform loader.
int BuildSlotRows(const ViewRecord& record, SlotRow (&rows)[SlotCount]);
