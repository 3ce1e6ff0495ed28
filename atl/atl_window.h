// The dialog runner's creation data: which object a thread's next dialog window belongs to.
#pragma once

#include <windows.h>

// One registration: the object waiting for the first message of a window made on threadId.
struct AtlCreateWndData {
    void* object;
    DWORD threadId;
    AtlCreateWndData* next;
};

// Registers object for the calling thread; data must live until the object is extracted.
void AtlModuleAddCreateWndData(AtlCreateWndData* data, void* object);

// The object that the calling thread registered last, removed from the records; null if none.
void* AtlModuleExtractCreateWndData();

// Runs a modal dialog from a template of instance; returns its end code, or -1 when the
// dialog could not be made. The templates hold no hosted controls, so no host is set up.
INT_PTR AtlAxDialogBoxA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC start, LPARAM init);
