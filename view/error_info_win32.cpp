// COM error information: the error object that the page script reads after ShowDlg.
#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "atl/atl_conversion.h"
#include "resources/code_page_936.h"
#include "view/error_info.h"

namespace {

static_assert(sizeof(Guid) == sizeof(GUID), "the identifiers have the layout of a GUID");

GUID ToSystemGuid(const Guid& id)
{
    GUID converted;
    converted.Data1 = id.data1;
    converted.Data2 = id.data2;
    converted.Data3 = id.data3;
    memcpy(converted.Data4, id.data4, sizeof converted.Data4);
    return converted;
}

Guid FromSystemGuid(const GUID& id)
{
    Guid converted;
    converted.data1 = id.Data1;
    converted.data2 = id.Data2;
    converted.data3 = id.Data3;
    memcpy(converted.data4, id.Data4, sizeof converted.data4);
    return converted;
}

// The ANSI form of a wide text, cut at 63 bytes without splitting a double-byte character.
void CopyAnsiText(BSTR wide, char (&description)[SlotSize])
{
    description[0] = 0;
    AnsiText ansi;
    if (FAILED(WideToAnsi(wide, SysStringLen(wide), ansi)) || !ansi)
        return;
    size_t kept = Cp936FittingLength(ansi.get(), strlen(ansi.get()), SlotSize - 1);
    memcpy(description, ansi.get(), kept);
    description[kept] = 0;
}

}  // namespace

// What the reader relies on from AtlSetErrorInfo: a new error object whose description is the
// text and whose GUID is IView's, made the thread's error information. Help file and context
// stay empty, as the reader passes none.
void SetThreadErrorText(const char* text)
{
    // Whatever fails from here on, the previous information must not stay behind as this one.
    SetErrorInfo(0, nullptr);
    if (!text)
        return;
    WideCopy wide;
    if (FAILED(AnsiToWide(text, wide)))
        return;

    ICreateErrorInfo* created = nullptr;
    if (FAILED(CreateErrorInfo(&created)))
        return;
    GUID interfaceId = ToSystemGuid(InterfaceIdView);
    created->SetGUID(interfaceId);
    created->SetDescription(wide.get());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(created->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    created->Release();
}

bool GetThreadErrorInfo(char (&description)[SlotSize], Guid* guid)
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return false;
    // GetErrorInfo takes the information away from the thread; looking must not consume it.
    SetErrorInfo(0, info);

    BSTR text = nullptr;
    if (FAILED(info->GetDescription(&text)))
        text = nullptr;
    CopyAnsiText(text, description);
    SysFreeString(text);
    if (guid) {
        GUID id = GUID_NULL;
        info->GetGUID(&id);
        *guid = FromSystemGuid(id);
    }
    info->Release();
    return true;
}
