// Reads an extended dialog template as windres built it into the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct TemplateItem {
    uint32_t id;
    std::string className;  // UTF-8, or "#128" for an ordinal
    std::string text;       // UTF-8, or "#216" for an ordinal
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate {
    bool isExtended = false;
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::string caption;
    WORD pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

DialogTemplate ReadDialogTemplate(HINSTANCE module, WORD id);

// UTF-16 to UTF-8 or to the ANSI code page.
std::string Narrow(const wchar_t* text, int length = -1, UINT codePage = CP_UTF8);
