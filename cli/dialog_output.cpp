// The dialog's clipboard texts and saved file, from a reading attempt's rows, and the save of that file.
#include "cli/dialog_output.h"

#include "cli/picture_output.h"
#include "cli/system_reason.h"
#include "system/replace_file.h"

namespace {

std::string ReplaceReason(const ReplaceOutcome& outcome)
{
    switch (outcome.refusal) {
    case ReplaceRefusal::None:
        break;
    case ReplaceRefusal::Folder:
        return "it is a folder";
    case ReplaceRefusal::Fifo:
        return "it is a FIFO, not a regular file";
    case ReplaceRefusal::Device:
        return "it is a device, not a regular file";
    case ReplaceRefusal::Socket:
        return "it is a socket, not a regular file";
    case ReplaceRefusal::LinkToNothing:
        return "it is a symbolic link to a file that does not exist";
    }
    return SystemReason(outcome.error);
}

}  // namespace

bool ParseCopyForm(const std::string& word, CopyForm& form)
{
    if (word == "all")
        form = CopyForm::AllRows;
    else if (word == "rows")
        form = CopyForm::SelectedRows;
    else if (word == "info")
        form = CopyForm::SelectedValues;
    else
        return false;
    return true;
}

std::string DialogCopyText(CopyForm form, const AddressOutcome& outcome)
{
    return ClipboardText(form, ListRowsOf(outcome.rows, outcome.rowCount, true));
}

std::string DialogSavedFile(const AddressOutcome& outcome)
{
    if (outcome.rowCount <= 0)
        return "";
    return SavedFileBytes(outcome.dialogAddress, ListRowsOf(outcome.rows, outcome.rowCount, true));
}

bool SaveDialogFile(const std::string& path, const AddressOutcome& outcome, std::string& err)
{
    const std::string bytes = DialogSavedFile(outcome);
    if (bytes.empty()) {
        err += "orvane: the list is empty; " + VisibleArgument(path) + " not written\n";
        return true;
    }
    const ReplaceOutcome replaced = ReplaceWholeFile(path.c_str(), bytes.data(), bytes.size());
    if (replaced.IsReplaced())
        return true;
    err += "orvane: cannot write " + VisibleArgument(path) + ": " + ReplaceReason(replaced) + "\n";
    return false;
}
