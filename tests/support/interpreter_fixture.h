// A fresh record per test, with recorded text loads and a builder for each byte order.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "record/slot_text.h"
#include "support/entry_builder.h"

class InterpreterTest : public ::testing::Test {
protected:
    InterpreterTest() { LoadedTextIds().clear(); }
    std::string Slot(InfoSlot slot) const { return SlotText(view, slot); }
    void Preset(InfoSlot slot, const char* text) { SlotCopy(view.slots[slot], text); }

    ViewRecord view{nullptr, RecordingPlatform()};
    EntryBuilder intel{view, ByteOrder::Intel};
    EntryBuilder motorola{view, ByteOrder::Motorola};
};

inline const char* OrderName(ByteOrder order) { return order == ByteOrder::Intel ? "II" : "MM"; }

// The slot's text after `deliver` has handed its entries to a new record in one byte order;
// the slot first holds `preset`, so a rule that writes nothing shows the preset.
template <typename Deliver>
std::string FreshSlotText(ByteOrder order, InfoSlot slot, Deliver deliver, const char* preset = "")
{
    ViewRecord record(nullptr, RecordingPlatform());
    SlotCopy(record.slots[slot], preset);
    EntryBuilder builder(record, order);
    deliver(builder);
    return SlotText(record, slot);
}
