// The in-memory registry of the registrar's tests.
#include "memory_registry.h"

#include "resources/code_page_936.h"

#include <algorithm>

namespace {

constexpr RegistryError AccessDenied = 5;

const char* RootName(RegistryRoot root) { return root == RegistryRoot::ClassesRoot ? "HKCR" : "HKCU"; }

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string ValueText(const RegistryValue& value)
{
    return value.type == ValueType::String ? "s:" + value.text : "d:" + std::to_string(value.number);
}

// A backslash is always a separator: no UTF-8 sequence holds its byte.
std::vector<std::string> SplitKeyPath(const std::string& path)
{
    std::vector<std::string> names(1);
    for (char c : path) {
        if (c == '\\')
            names.emplace_back();
        else
            names.back() += c;
    }
    return names;
}

}  // namespace

bool DecodeCp936ForTests(const char* text, size_t length, std::string& utf8)
{
    utf8 = Cp936ToUtf8(text, length);
    return utf8.find("\xEF\xBF\xBD") == std::string::npos;  // U+FFFD: no character of the code page
}

bool MemoryRegistry::NameLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

MemoryRegistry::Key* MemoryRegistry::Find(RegistryRoot root, const std::string& path, Key** parent, std::string* leaf)
{
    Key* key = root == RegistryRoot::ClassesRoot ? &classesRoot_ : &currentUser_;
    for (const std::string& name : SplitKeyPath(path)) {
        if (parent)
            *parent = key;
        if (leaf)
            *leaf = name;
        auto found = key->subkeys.find(name);
        if (found == key->subkeys.end())
            return nullptr;
        key = found->second.get();
    }
    return key;
}

bool MemoryRegistry::Change(const std::string& what, RegistryRoot root, const std::string& path)
{
    if (failingChange_ > 0 && --failingChange_ == 0)
        return false;
    changes_.push_back(what + " " + RootName(root) + "\\" + path);
    return true;
}

RegistryError MemoryRegistry::CreateKey(RegistryRoot root, const std::string& path)
{
    if (!Change("create", root, path))
        return AccessDenied;
    Key* key = root == RegistryRoot::ClassesRoot ? &classesRoot_ : &currentUser_;
    for (const std::string& name : SplitKeyPath(path)) {
        std::unique_ptr<Key>& child = key->subkeys[name];
        if (!child)
            child = std::make_unique<Key>();
        key = child.get();
    }
    return RegistryOk;
}

RegistryError MemoryRegistry::SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                                       const RegistryValue& value)
{
    Key* key = Find(root, path, nullptr, nullptr);
    if (!key)
        return RegistryNotFound;
    if (!Change("set", root, path + "\\" + (name.empty() ? "@" : name)))
        return AccessDenied;
    key->values[name] = value;
    return RegistryOk;
}

RegistryError MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name)
{
    Key* key = Find(root, path, nullptr, nullptr);
    if (!key || !key->values.count(name))
        return RegistryNotFound;
    if (!Change("unset", root, path + "\\" + name))
        return AccessDenied;
    key->values.erase(name);
    return RegistryOk;
}

RegistryError MemoryRegistry::ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names)
{
    Key* key = Find(root, path, nullptr, nullptr);
    if (!key)
        return RegistryNotFound;
    names.clear();
    for (const auto& subkey : key->subkeys)
        names.push_back(subkey.first);
    return RegistryOk;
}

RegistryError MemoryRegistry::DeleteKey(RegistryRoot root, const std::string& path)
{
    Key* parent = nullptr;
    std::string leaf;
    Key* key = Find(root, path, &parent, &leaf);
    if (!key)
        return RegistryNotFound;
    if (!key->subkeys.empty())
        return AccessDenied;
    if (!Change("delete", root, path))
        return AccessDenied;
    parent->subkeys.erase(leaf);
    return RegistryOk;
}

void MemoryRegistry::Describe(const Key& key, const std::string& path, std::vector<std::string>& lines)
{
    for (const auto& value : key.values)
        lines.push_back(path + "\\" + (value.first.empty() ? "@" : value.first) + " = " + ValueText(value.second));
    for (const auto& subkey : key.subkeys) {
        lines.push_back(path + "\\" + subkey.first);
        Describe(*subkey.second, path + "\\" + subkey.first, lines);
    }
}

std::vector<std::string> MemoryRegistry::Content() const
{
    std::vector<std::string> lines;
    Describe(classesRoot_, "HKCR", lines);
    Describe(currentUser_, "HKCU", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}
