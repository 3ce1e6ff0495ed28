// Creation data of the dialog runner, and the modal dialog call itself.
#include "atl/atl_window.h"

namespace {

// Records of all threads, newest first. Both are constant-initialised, so the records are
// usable before any constructor has run and need nothing at unload.
SRWLOCK recordsLock = SRWLOCK_INIT;
AtlCreateWndData* records = nullptr;

}  // namespace

void AtlModuleAddCreateWndData(AtlCreateWndData* data, void* object)
{
    data->object = object;
    data->threadId = GetCurrentThreadId();
    AcquireSRWLockExclusive(&recordsLock);
    data->next = records;
    records = data;
    ReleaseSRWLockExclusive(&recordsLock);
}

void* AtlModuleExtractCreateWndData()
{
    const DWORD threadId = GetCurrentThreadId();
    void* object = nullptr;
    AcquireSRWLockExclusive(&recordsLock);
    // Newest first: a dialog opened from another dialog's handler finds its own record.
    for (AtlCreateWndData** link = &records; *link; link = &(*link)->next) {
        if ((*link)->threadId == threadId) {
            object = (*link)->object;
            *link = (*link)->next;
            break;
        }
    }
    ReleaseSRWLockExclusive(&recordsLock);
    return object;
}

INT_PTR AtlAxDialogBoxA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC start, LPARAM init)
{
    return DialogBoxParamA(instance, templateName, owner, start, init);
}
