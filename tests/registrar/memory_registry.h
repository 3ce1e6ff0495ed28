// A registry in memory for the registrar's tests and fuzzing: a log of every change, a failure on
// demand, the keys left open, and the whole content as sorted lines; and the project's own code
// page 936 decoder.
#pragma once

#include "atl/registrar/registry.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class MemoryRegistry : public Registry {
public:
    RegistryKey Root(RegistryRoot root) override;
    RegistryError CreateKey(RegistryKey parent, Utf8Text name, RegistryKey& key) override;
    RegistryError OpenKey(RegistryKey parent, Utf8Text name, RegistryKey& key) override;
    void CloseKey(RegistryKey key) override;
    RegistryError SetValue(RegistryKey key, Utf8Text name, const RegistryValue& value) override;
    RegistryError DeleteValue(RegistryKey key, Utf8Text name) override;
    RegistryError HasSubkeys(RegistryKey key, bool& hasSubkeys) override;
    RegistryError DeleteKey(RegistryKey parent, Utf8Text name) override;
    RegistryError DeleteTree(RegistryKey parent, Utf8Text name) override;

    // The n-th change from now on (1 = the next) fails with ERROR_ACCESS_DENIED; 0: none fails.
    void FailChange(int n) { failingChange_ = n; }
    // One line per change made: "create HKCR\A", "set HKCR\A\@", "delete HKCR\A", ...
    const std::vector<std::string>& Changes() const { return changes_; }
    // Every key and value: "HKCR\A", "HKCR\A\@ = s:text", "HKCU\B\Name = d:2"; sorted.
    std::vector<std::string> Content() const;
    size_t OpenKeys() const { return open_.size(); }

private:
    // Names compare without regard to ASCII case, as the Windows registry does.
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Key {
        std::map<std::string, std::string, NameLess> values;  // "s:text" or "d:number"
        std::map<std::string, std::unique_ptr<Key>, NameLess> subkeys;
    };

    // Full paths ("HKCR\A\B") stand for keys: a handle to a deleted key finds nothing, and
    // one that is not open has the empty path.
    std::string PathOf(RegistryKey key) const;
    Key* Find(const std::string& path, Key** parent = nullptr, std::string* leaf = nullptr);
    bool Change(const char* what, const std::string& path);
    RegistryError Hand(const std::string& path, RegistryKey& key);
    RegistryError DeletePath(const std::string& path, bool withSubkeys);
    static void Describe(const Key& key, const std::string& path, std::vector<std::string>& lines);

    Key classesRoot_;
    Key currentUser_;
    std::map<RegistryKey, std::string> open_;
    RegistryKey nextKey_ = 3;  // after the two roots
    int failingChange_ = 0;
    std::vector<std::string> changes_;
};

// The registrar's decoder off Windows: the project's table, refusing what it cannot decode and
// runs longer than the registrar promises.
bool DecodeCp936ForTests(const char* text, size_t length, char* utf8, size_t& utf8Length);
