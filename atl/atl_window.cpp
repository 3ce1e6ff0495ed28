// Creation data of the dialog runner, and the modal dialog call itself.
#include "atl/atl_window.h"

namespace {

struct WindowStateOwner {
    AtlWindowState state;
    WindowStateOwner() : state()
    {
        InitializeCriticalSection(&state.lock);
        state.head = nullptr;
    }
    ~WindowStateOwner() { DeleteCriticalSection(&state.lock); }
    WindowStateOwner(const WindowStateOwner&) = delete;
    WindowStateOwner& operator=(const WindowStateOwner&) = delete;
};

}  // namespace

AtlWindowState& ModuleWindowState()
{
    static WindowStateOwner owner;
    return owner.state;
}

void AtlModuleAddCreateWndData(AtlWindowState* state, AtlCreateWndData* data, void* object)
{
    data->object = object;
    data->threadId = GetCurrentThreadId();
    EnterCriticalSection(&state->lock);
    data->next = state->head;
    state->head = data;
    LeaveCriticalSection(&state->lock);
}

void* AtlModuleExtractCreateWndData(AtlWindowState* state)
{
    const DWORD threadId = GetCurrentThreadId();
    void* object = nullptr;
    EnterCriticalSection(&state->lock);
    // Newest first: a dialog opened from another dialog's handler finds its own record.
    for (AtlCreateWndData** link = &state->head; *link; link = &(*link)->next) {
        if ((*link)->threadId == threadId) {
            object = (*link)->object;
            *link = (*link)->next;
            break;
        }
    }
    LeaveCriticalSection(&state->lock);
    return object;
}

INT_PTR AtlAxDialogBoxA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC start, LPARAM init)
{
    return DialogBoxParamA(instance, templateName, owner, start, init);
}
