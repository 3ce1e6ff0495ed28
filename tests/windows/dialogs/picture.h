// A picture read as ShowDlg reads it, and the properties dialog filled from it.
#pragma once

#include <string>
#include <vector>

#include "record/view_record.h"
#include "ui/list_text.h"
#include "ui/properties_dialog.h"
#include "view/default_platform.h"

struct Picture {
    // Reads a "file:///" address, or takes the slot texts as given when texts is not empty.
    explicit Picture(const std::string& fileAddress, const std::vector<std::pair<InfoSlot, const char*>>& texts = {});

    void Fill(PropertiesDialog& dialog) const;
    // The rows the list must show, none selected, and the caption it must have.
    std::vector<ListRow> ExpectedRows() const;
    std::string ExpectedCaption() const;

    ViewRecord record;
    std::string address;  // after the address rules
    bool isRead = false;
};

// The properties dialog of a sample photograph (Z: is the host's root under Wine).
std::string SampleAddress(const char* name);
// "Exif 属性" and "关于 Orvane" in the running code page, as the templates give them.
std::string TemplateCaption(WORD id);
