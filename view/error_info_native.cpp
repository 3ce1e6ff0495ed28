// The native stand-in for COM error information: one record per thread, like SetErrorInfo.
#include <cstring>

#include "record/slot_text.h"
#include "view/error_info.h"

namespace {

struct ErrorRecord {
    bool isSet;
    Guid guid;
    char description[SlotSize];
};

thread_local ErrorRecord threadError{};

}  // namespace

void SetThreadErrorText(const char* text)
{
    threadError = ErrorRecord{};
    if (!text)
        return;
    threadError.isSet = true;
    threadError.guid = InterfaceIdView;
    SlotCopy(threadError.description, text);
}

bool GetThreadErrorInfo(char (&description)[SlotSize], Guid* guid)
{
    if (!threadError.isSet)
        return false;
    memcpy(description, threadError.description, SlotSize);
    if (guid)
        *guid = threadError.guid;
    return true;
}
