// The entries of the registrar script, written out independently of it: keys, counts and bytes.
#include "expected_entries.h"

// Defined in the order they are made: each uses only those above it.
namespace {
const std::string ClassId = "{6D3B51AD-8C4E-4F27-9B1D-52E07A3C9641}";
const std::string LibraryId = "{6D3B51A0-8C4E-4F27-9B1D-52E07A3C9641}";
}  // namespace

const std::string ClassKey = "CLSID\\" + ClassId;
const std::string MenuExtKey = "Software\\Microsoft\\Internet Explorer\\MenuExt";
const std::string MenuTextBytes = "\xB2\xE9\xBF\xB4 Exif \xD0\xC5\xCF\xA2(&V)";
const std::wstring MenuTextWide = L"\u67E5\u770B Exif \u4FE1\u606F(&V)";

namespace {
const std::string MenuKeyPath = MenuExtKey + "\\" + MenuTextBytes;
}  // namespace

std::vector<KeyShape> RegisteredKeys()
{
    return {
        {HKEY_CLASSES_ROOT, "Orvane.View.1", 1, 1},
        {HKEY_CLASSES_ROOT, "Orvane.View.1\\CLSID", 0, 1},
        {HKEY_CLASSES_ROOT, "Orvane.View", 2, 1},
        {HKEY_CLASSES_ROOT, "Orvane.View\\CLSID", 0, 1},
        {HKEY_CLASSES_ROOT, "Orvane.View\\CurVer", 0, 1},
        {HKEY_CLASSES_ROOT, ClassKey, 5, 1},
        {HKEY_CLASSES_ROOT, ClassKey + "\\ProgID", 0, 1},
        {HKEY_CLASSES_ROOT, ClassKey + "\\VersionIndependentProgID", 0, 1},
        {HKEY_CLASSES_ROOT, ClassKey + "\\Programmable", 0, 0},
        {HKEY_CLASSES_ROOT, ClassKey + "\\InprocServer32", 0, 2},
        {HKEY_CLASSES_ROOT, ClassKey + "\\TypeLib", 0, 1},
        {HKEY_CURRENT_USER, MenuKeyPath, 0, 2},
    };
}

std::vector<ValueBytes> RegisteredValues(const std::string& modulePath)
{
    return {
        {HKEY_CLASSES_ROOT, "Orvane.View.1", nullptr, REG_SZ, StringBytes("View Class")},
        {HKEY_CLASSES_ROOT, "Orvane.View.1\\CLSID", nullptr, REG_SZ, StringBytes(ClassId)},
        {HKEY_CLASSES_ROOT, "Orvane.View", nullptr, REG_SZ, StringBytes("View Class")},
        {HKEY_CLASSES_ROOT, "Orvane.View\\CLSID", nullptr, REG_SZ, StringBytes(ClassId)},
        {HKEY_CLASSES_ROOT, "Orvane.View\\CurVer", nullptr, REG_SZ, StringBytes("Orvane.View.1")},
        {HKEY_CLASSES_ROOT, ClassKey, nullptr, REG_SZ, StringBytes("View Class")},
        {HKEY_CLASSES_ROOT, ClassKey + "\\ProgID", nullptr, REG_SZ, StringBytes("Orvane.View.1")},
        {HKEY_CLASSES_ROOT, ClassKey + "\\VersionIndependentProgID", nullptr, REG_SZ, StringBytes("Orvane.View")},
        {HKEY_CLASSES_ROOT, ClassKey + "\\InprocServer32", nullptr, REG_SZ, StringBytes(modulePath)},
        {HKEY_CLASSES_ROOT, ClassKey + "\\InprocServer32", "ThreadingModel", REG_SZ, StringBytes("Apartment")},
        {HKEY_CLASSES_ROOT, ClassKey + "\\TypeLib", nullptr, REG_SZ, StringBytes(LibraryId)},
        {HKEY_CURRENT_USER, MenuKeyPath, nullptr, REG_SZ, StringBytes("res://" + modulePath + "/ORVANE.HTML")},
        {HKEY_CURRENT_USER, MenuKeyPath, "Contexts", REG_DWORD, NumberBytes(2)},
    };
}

std::vector<std::pair<HKEY, std::string>> RemovedKeys()
{
    return {
        {HKEY_CLASSES_ROOT, "Orvane.View.1"},
        {HKEY_CLASSES_ROOT, "Orvane.View"},
        {HKEY_CLASSES_ROOT, ClassKey},
        {HKEY_CURRENT_USER, MenuKeyPath},
    };
}

std::vector<std::pair<HKEY, std::string>> KeptKeys()
{
    return {
        {HKEY_CLASSES_ROOT, "CLSID"},
        {HKEY_CURRENT_USER, "Software"},
        {HKEY_CURRENT_USER, "Software\\Microsoft"},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer"},
        {HKEY_CURRENT_USER, MenuExtKey},
    };
}
