// The dialog's clipboard texts and saved file, from a reading attempt's rows.
#include "cli/dialog_output.h"

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
