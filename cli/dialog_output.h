// What the properties dialog would put in the clipboard or a saved file, for `--copy`/`--save`.
#pragma once

#include <string>

#include "cli/read_address.h"
#include "ui/list_text.h"

// "all", "rows" and "info": CmdCopyAll, and CmdCopy/CmdCopyInfo with every row selected.
bool ParseCopyForm(const std::string& word, CopyForm& form);

// The clipboard text in code page 936, without its terminating zero.
std::string DialogCopyText(CopyForm form, const AddressOutcome& outcome);

// The bytes the dialog's save-as writes; empty when the list has no row (it writes nothing).
std::string DialogSavedFile(const AddressOutcome& outcome);

// Puts the dialog's saved file in place of path (nothing for an empty list, which is told);
// false when it could not, with the reason appended to err.
bool SaveDialogFile(const std::string& path, const AddressOutcome& outcome, std::string& err);
