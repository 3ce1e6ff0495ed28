// One photograph through Orvane as ShowDlg reads it: a fresh record, the address copy that
// ClassifyAddress rewrites in place, the walk, and the rows that the list would show.
#include "orvane_reader.h"

#include <cstring>
#include <memory>

#include "record/view_record.h"
#include "ui/slot_list.h"
#include "view/classify_address.h"

int ReadWithOrvane(const Photo& photo, const Platform& platform)
{
    ViewRecord record(nullptr, platform);
    // ShowDlg's one allocation per call, kept so that the count shows it and nothing else.
    std::unique_ptr<char[]> address(new char[photo.address.size() + 1]);
    memcpy(address.get(), photo.address.c_str(), photo.address.size() + 1);
    if (!ClassifyAddress(record, address.get()) || !record.ReadExif(address.get()))
        return -1;
    static SlotRow rows[SlotCount];
    return BuildSlotRows(record, rows);
}
