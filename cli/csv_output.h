// The `--csv` table: a header naming the slots, then one line per picture, as RFC 4180 has it.
#pragma once

#include <string>

#include "cli/read_address.h"
#include "ui/slot_list.h"

// RFC 4180 ends every line, the last one too, with CR LF.
constexpr char CsvLineEnd[] = "\r\n";

// The text as one field: as it stands, or in double quotes with each quote doubled when it
// holds a comma, a quote, CR or LF. A text that begins with '=', '+', '-', '@', TAB or CR gets a
// leading "'", so that no spreadsheet takes it for a formula.
void AppendCsvField(std::string& out, const char* text, size_t length);

// "address,message_id" and the list label of each slot (string 110 + slot) in UTF-8, without
// its trailing blanks, which only align the dialog's column; no line end.
std::string CsvHeader(TextLoader loadText, Handle module);

// The address for display, the message id and the 41 slot texts in UTF-8, in slot order; a
// picture that was not read has its message id and empty slots. No line end. Appended to out;
// scratch is a buffer of the caller's for the slots' UTF-8.
void AppendCsvLine(std::string& out, const std::string& displayAddress, const AddressOutcome& outcome,
                   std::string& scratch);
