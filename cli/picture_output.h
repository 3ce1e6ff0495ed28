// What the front end prints of one reading attempt: the plain rows, a JSON object, and the
// argument as UTF-8; each appended to a buffer that the caller reuses from picture to picture.
#pragma once

#include <string>

#include "cli/read_address.h"

// A command-line argument (an address or a path) as UTF-8 for display: on Windows the ANSI code
// page's text converted, natively its bytes with what is not UTF-8 replaced by U+FFFD.
void AppendArgumentForDisplay(std::string& out, const std::string& argument);
// The same for a terminal: in the plain list and in messages, its control characters visible.
void AppendVisibleArgument(std::string& out, const std::string& argument);
std::string VisibleArgument(const std::string& argument);

// One JSON object, without a line end: address, address_hex, message_id, message, slots,
// slots_hex. scratch is a buffer of the caller's for each text's UTF-8.
void AppendJsonOutcome(std::string& out, const std::string& address, const AddressOutcome& outcome,
                       std::string& scratch);

// The 41 list labels in UTF-8, converted once for a whole run rather than for every row.
struct RowLabels {
    char cp936[SlotCount][SlotSize];
    std::string utf8[SlotCount];
};
void LoadRowLabels(RowLabels& labels, TextLoader loadText, Handle module);

// The listed rows, "label TAB text" and a line end each, in UTF-8, control characters in a text
// made visible, so that a row is one line with one TAB; a row's label is taken from labels when
// they are given and hold the same bytes.
void AppendRows(std::string& out, const AddressOutcome& outcome, const RowLabels* labels = nullptr);
