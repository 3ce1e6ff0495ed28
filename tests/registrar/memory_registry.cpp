// The in-memory registry of the registrar's tests.
#include "memory_registry.h"

#include "atl/registrar/registrar.h"
#include "resources/code_page_936.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr RegistryError AccessDenied = 5;
constexpr RegistryError InvalidHandle = 6;
constexpr RegistryKey ClassesRootKey = 1;
constexpr RegistryKey CurrentUserKey = 2;

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string String(Utf8Text text) { return std::string(text.data, text.length); }

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

bool DecodeCp936ForTests(const char* text, size_t length, char* utf8, size_t& utf8Length)
{
    std::string decoded = Cp936ToUtf8(text, length);
    // U+FFFD: no character of the code page.
    if (length == 0 || length > Cp936DecodeRun || decoded.find("\xEF\xBF\xBD") != std::string::npos ||
        decoded.size() > 3 * length)
        return false;
    std::memcpy(utf8, decoded.data(), decoded.size());
    utf8Length = decoded.size();
    return true;
}

bool MemoryRegistry::NameLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

RegistryKey MemoryRegistry::Root(RegistryRoot root)
{
    return root == RegistryRoot::ClassesRoot ? ClassesRootKey : CurrentUserKey;
}

std::string MemoryRegistry::PathOf(RegistryKey key) const
{
    if (key == ClassesRootKey || key == CurrentUserKey)
        return key == ClassesRootKey ? "HKCR" : "HKCU";
    auto found = open_.find(key);
    return found == open_.end() ? "" : found->second;
}

MemoryRegistry::Key* MemoryRegistry::Find(const std::string& path, Key** parent, std::string* leaf)
{
    std::vector<std::string> names = SplitKeyPath(path);
    Key* key = names[0] == "HKCR" ? &classesRoot_ : names[0] == "HKCU" ? &currentUser_ : nullptr;
    for (size_t at = 1; key && at < names.size(); ++at) {
        if (parent)
            *parent = key;
        if (leaf)
            *leaf = names[at];
        auto found = key->subkeys.find(names[at]);
        key = found == key->subkeys.end() ? nullptr : found->second.get();
    }
    return key;
}

bool MemoryRegistry::Change(const char* what, const std::string& path)
{
    if (failingChange_ > 0 && --failingChange_ == 0)
        return false;
    changes_.push_back(what + (" " + path));
    return true;
}

RegistryError MemoryRegistry::Hand(const std::string& path, RegistryKey& key)
{
    key = nextKey_++;
    open_[key] = path;
    return RegistryOk;
}

RegistryError MemoryRegistry::CreateKey(RegistryKey parent, Utf8Text name, RegistryKey& key)
{
    Key* parentKey = Find(PathOf(parent));
    if (!parentKey)
        return InvalidHandle;
    const std::string path = PathOf(parent) + "\\" + String(name);
    if (!Change("create", path))
        return AccessDenied;
    std::unique_ptr<Key>& child = parentKey->subkeys[String(name)];
    if (!child)
        child = std::make_unique<Key>();
    return Hand(path, key);
}

RegistryError MemoryRegistry::OpenKey(RegistryKey parent, Utf8Text name, RegistryKey& key)
{
    const std::string path = PathOf(parent) + "\\" + String(name);
    return !Find(PathOf(parent)) ? InvalidHandle : Find(path) ? Hand(path, key) : RegistryNotFound;
}

void MemoryRegistry::CloseKey(RegistryKey key) { open_.erase(key); }

RegistryError MemoryRegistry::SetValue(RegistryKey key, Utf8Text name, const RegistryValue& value)
{
    Key* found = Find(PathOf(key));
    if (!found)
        return InvalidHandle;
    if (!Change("set", PathOf(key) + "\\" + (name.length ? String(name) : "@")))
        return AccessDenied;
    found->values[String(name)] =
        value.type == ValueType::String ? "s:" + String(value.text) : "d:" + std::to_string(value.number);
    return RegistryOk;
}

RegistryError MemoryRegistry::DeleteValue(RegistryKey key, Utf8Text name)
{
    Key* found = Find(PathOf(key));
    if (!found)
        return InvalidHandle;
    if (!found->values.count(String(name)))
        return RegistryNotFound;
    if (!Change("unset", PathOf(key) + "\\" + String(name)))
        return AccessDenied;
    found->values.erase(String(name));
    return RegistryOk;
}

RegistryError MemoryRegistry::HasSubkeys(RegistryKey key, bool& hasSubkeys)
{
    Key* found = Find(PathOf(key));
    if (found)
        hasSubkeys = !found->subkeys.empty();
    return found ? RegistryOk : InvalidHandle;
}

// Subkeys first, each a change of its own, as the system deletes a tree.
RegistryError MemoryRegistry::DeletePath(const std::string& path, bool withSubkeys)
{
    Key* parent = nullptr;
    std::string leaf;
    Key* key = Find(path, &parent, &leaf);
    if (!key)
        return RegistryNotFound;
    std::vector<std::string> subkeys;
    for (const auto& subkey : key->subkeys)
        subkeys.push_back(subkey.first);
    if (!subkeys.empty() && !withSubkeys)
        return AccessDenied;
    for (const std::string& subkey : subkeys)
        if (RegistryError error = DeletePath(path + "\\" + subkey, true))
            return error;
    if (!Change("delete", path))
        return AccessDenied;
    parent->subkeys.erase(leaf);
    return RegistryOk;
}

RegistryError MemoryRegistry::DeleteKey(RegistryKey parent, Utf8Text name)
{
    return Find(PathOf(parent)) ? DeletePath(PathOf(parent) + "\\" + String(name), false) : InvalidHandle;
}

RegistryError MemoryRegistry::DeleteTree(RegistryKey parent, Utf8Text name)
{
    return Find(PathOf(parent)) ? DeletePath(PathOf(parent) + "\\" + String(name), true) : InvalidHandle;
}

void MemoryRegistry::Describe(const Key& key, const std::string& path, std::vector<std::string>& lines)
{
    for (const auto& value : key.values)
        lines.push_back(path + "\\" + (value.first.empty() ? "@" : value.first) + " = " + value.second);
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
