// The rows of the properties list, from the 41 slots.
#include "ui/slot_list.h"


#include "record/slot_text.h"
#include "record/view_record.h"
#include "resources/text_ids.h"

bool IsSlotListed(const char* slot)
{
    if (slot[0] == 0)
        return false;
    // Only a pair of blanks hides a slot: a single leading blank is text like any other.
    return !(slot[0] == ' ' && slot[1] == ' ');
}

int BuildSlotRows(const char* const (&slots)[SlotCount], TextLoader loadText, Handle module,
                  SlotRow (&rows)[SlotCount])
{
    int count = 0;
    for (int i = 0; i < SlotCount; ++i) {
        if (!IsSlotListed(slots[i]))
            continue;
        SlotRow& row = rows[count++];
        row.slot = static_cast<InfoSlot>(i);
        row.label[0] = 0;
        loadText(module, TextSlotLabelBase + static_cast<TextId>(i), row.label, SlotSize);
        row.label[SlotSize - 1] = 0;
        SlotCopy(row.text, slots[i]);
    }
    return count;
}

int BuildSlotRows(const ViewRecord& record, SlotRow (&rows)[SlotCount])
{
    const char* slots[SlotCount];
    for (int i = 0; i < SlotCount; ++i)
        slots[i] = record.slots[i];
    return BuildSlotRows(slots, record.platform->loadText, record.moduleInstance, rows);
}
