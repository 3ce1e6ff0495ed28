// Reading a picture for the dialog tests, as ShowDlg does.
#include "picture.h"

#include <cstring>
#include <memory>

#include "template_reader.h"
#include "ui/resource_ids.h"
#include "ui/slot_list.h"
#include "view/classify_address.h"

Picture::Picture(const std::string& fileAddress, const std::vector<std::pair<InfoSlot, const char*>>& texts)
    : record(GetModuleHandleA(nullptr), DefaultPlatform())
{
    std::unique_ptr<char[]> copy(new char[fileAddress.size() + 1]);
    memcpy(copy.get(), fileAddress.c_str(), fileAddress.size() + 1);
    if (texts.empty()) {
        isRead = ClassifyAddress(record, copy.get()) && record.ReadExif(copy.get());
    } else {
        isRead = ClassifyAddress(record, copy.get());
        for (const auto& text : texts)
            strcpy(record.slots[text.first], text.second);
    }
    address = copy.get();
}

void Picture::Fill(PropertiesDialog& dialog) const
{
    dialog.moduleInstance = GetModuleHandleA(nullptr);
    dialog.SetAddress(address.c_str());
    for (int i = 0; i < SlotCount; ++i)
        dialog.slots[i] = record.slots[i];
}

std::vector<ListRow> Picture::ExpectedRows() const
{
    SlotRow rows[SlotCount];
    return ListRowsOf(rows, BuildSlotRows(record, rows), false);
}

std::string Picture::ExpectedCaption() const
{
    char caption[CaptionSize];
    char address259[AddressSize];
    CopyAddress(address259, address.c_str());
    ComposeCaption(caption, TemplateCaption(IDD_PROPERTIES).c_str(), address259);
    return caption;
}

std::string SampleAddress(const char* name) { return std::string("file:///") + ORVANE_SAMPLES_DIR + "/" + name; }

std::string TemplateCaption(WORD id)
{
    const std::string utf8 = ReadDialogTemplate(GetModuleHandleA(nullptr), id).caption;
    wchar_t wide[64] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 64);
    return Narrow(wide, -1, CP_ACP);
}
