// ShowDlg: the address as 8-bit text, the address rules, the reader, then the dialog.
#include <climits>
#include <memory>
#include <new>

#include "ui/properties_dialog.h"
#include "view/read_picture.h"
#include "view/view.h"

namespace {

struct AddressCopyDelete {
    void operator()(char* text) const { delete[] text; }
};
using AddressCopy = std::unique_ptr<char[], AddressCopyDelete>;

// The address in the ANSI code page, into 2 bytes per character plus 2: room for any result
// in a single- or double-byte code page. A null srcURL gives no text at all.
HRESULT CopyAddress(BSTR srcURL, AddressCopy& copy)
{
    if (!srcURL)
        return S_OK;
    const UINT characters = SysStringLen(srcURL) + 1;  // with the terminator
    if (characters > INT_MAX / 2)
        return E_OUTOFMEMORY;
    const int size = static_cast<int>(characters) * 2;
    copy.reset(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!copy)
        return E_OUTOFMEMORY;
    copy[0] = 0;
    if (WideCharToMultiByte(CP_ACP, 0, srcURL, static_cast<int>(characters), copy.get(), size, nullptr, nullptr) == 0) {
        const DWORD error = GetLastError();
        // A conversion that fails without saying why must still read as a failure.
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    return S_OK;
}

}  // namespace

HRESULT View::ShowDlg(BSTR srcURL)
{
    AddressCopy address;
    HRESULT copied = CopyAddress(srcURL, address);
    if (FAILED(copied))
        return copied;  // no message reported, the stream not touched
    if (ReadPicture(record, address.get()) != MessageOk)
        return E_FAIL;  // 300 to 304 reported, the stream closed
    ShowProperties(address.get());
    return S_OK;
}

void View::ShowProperties(const char* address)
{
    PropertiesDialog dialog;
    dialog.moduleInstance = static_cast<HINSTANCE>(record.moduleInstance);
    dialog.SetAddress(address);  // cut to 259 bytes for the dialog; the reader saw it whole
    for (int slot = 0; slot < SlotCount; ++slot)
        dialog.slots[slot] = record.slots[slot];
    // The report of 305 has closed the stream: no handle is held while the dialog is open.
    dialog.DoModal(GetActiveWindow());
}
