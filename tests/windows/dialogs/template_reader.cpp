// DLGTEMPLATEEX and DLGITEMTEMPLATEEX, walked field by field.
#include "template_reader.h"

#include <cstring>

namespace {

class Cursor {
public:
    Cursor(const BYTE* begin, const BYTE* end) : at_(begin), begin_(begin), end_(end) {}

    template <class T>
    T Read()
    {
        T value{};
        if (static_cast<size_t>(end_ - at_) >= sizeof value) {
            memcpy(&value, at_, sizeof value);
            at_ += sizeof value;
        } else {
            at_ = end_;
        }
        return value;
    }

    // A text field: empty, an ordinal ("#n") or a zero-terminated UTF-16 text.
    std::string ReadText()
    {
        const WORD first = Read<WORD>();
        if (first == 0)
            return "";
        if (first == 0xFFFF)
            return "#" + std::to_string(Read<WORD>());
        std::wstring text(1, static_cast<wchar_t>(first));
        while (at_ < end_) {
            const WORD next = Read<WORD>();
            if (next == 0)
                break;
            text += static_cast<wchar_t>(next);
        }
        return Narrow(text.c_str(), static_cast<int>(text.size()));
    }

    void AlignToDword()
    {
        while ((at_ - begin_) % 4 != 0 && at_ < end_)
            ++at_;
    }

private:
    const BYTE* at_;
    const BYTE* begin_;
    const BYTE* end_;
};

}  // namespace

std::string Narrow(const wchar_t* text, int length, UINT codePage)
{
    char buffer[1024] = {};
    const int written = WideCharToMultiByte(codePage, 0, text, length, buffer, sizeof buffer - 1, nullptr, nullptr);
    std::string result(buffer, static_cast<size_t>(written > 0 ? written : 0));
    if (length < 0 && !result.empty())
        result.pop_back();  // the converted terminator
    return result;
}

DialogTemplate ReadDialogTemplate(HINSTANCE module, WORD id)
{
    DialogTemplate dialog;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!resource)
        return dialog;
    const auto* begin = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    Cursor cursor(begin, begin + SizeofResource(module, resource));
    const WORD version = cursor.Read<WORD>();
    const WORD signature = cursor.Read<WORD>();
    dialog.isExtended = version == 1 && signature == 0xFFFF;
    if (!dialog.isExtended)
        return dialog;
    cursor.Read<DWORD>();  // help id
    cursor.Read<DWORD>();  // extended style
    dialog.style = cursor.Read<DWORD>();
    const WORD count = cursor.Read<WORD>();
    cursor.Read<short>();
    cursor.Read<short>();
    dialog.cx = cursor.Read<short>();
    dialog.cy = cursor.Read<short>();
    cursor.ReadText();  // menu
    cursor.ReadText();  // class
    dialog.caption = cursor.ReadText();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = cursor.Read<WORD>();
        cursor.Read<WORD>();  // weight
        cursor.Read<BYTE>();  // italic
        cursor.Read<BYTE>();  // character set
        dialog.font = cursor.ReadText();
    }
    for (WORD i = 0; i < count; ++i) {
        cursor.AlignToDword();
        TemplateItem item{};
        cursor.Read<DWORD>();  // help id
        item.exStyle = cursor.Read<DWORD>();
        item.style = cursor.Read<DWORD>();
        item.x = cursor.Read<short>();
        item.y = cursor.Read<short>();
        item.cx = cursor.Read<short>();
        item.cy = cursor.Read<short>();
        item.id = cursor.Read<DWORD>();
        item.className = cursor.ReadText();
        item.text = cursor.ReadText();
        const WORD extra = cursor.Read<WORD>();
        for (WORD b = 0; b < extra; ++b)
            cursor.Read<BYTE>();
        dialog.items.push_back(item);
    }
    return dialog;
}
