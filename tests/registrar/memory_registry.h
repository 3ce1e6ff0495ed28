// A registry in memory for the registrar's tests and fuzzing: a log of every change, a failure on
// demand, and the whole content as sorted lines; and the project's own code page 936 decoder.
#pragma once

#include "atl/registrar/registry.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class MemoryRegistry : public Registry {
public:
    RegistryError CreateKey(RegistryRoot root, const std::string& path) override;
    RegistryError SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                           const RegistryValue& value) override;
    RegistryError DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
    RegistryError ListSubkeys(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override;
    RegistryError DeleteKey(RegistryRoot root, const std::string& path) override;

    // The n-th change from now on (1 = the next) fails with ERROR_ACCESS_DENIED; 0: none fails.
    void FailChange(int n) { failingChange_ = n; }
    // One line per change made: "create HKCR\A", "set HKCR\A\@", "delete HKCR\A", ...
    const std::vector<std::string>& Changes() const { return changes_; }
    // Every key and value: "HKCR\A", "HKCR\A\@ = s:text", "HKCU\B\Name = d:2"; sorted.
    std::vector<std::string> Content() const;

private:
    // Names compare without regard to ASCII case, as the Windows registry does.
    struct NameLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Key {
        std::map<std::string, RegistryValue, NameLess> values;
        std::map<std::string, std::unique_ptr<Key>, NameLess> subkeys;
    };

    Key* Find(RegistryRoot root, const std::string& path, Key** parent, std::string* leaf);
    bool Change(const std::string& what, RegistryRoot root, const std::string& path);
    static void Describe(const Key& key, const std::string& path, std::vector<std::string>& lines);

    Key classesRoot_;
    Key currentUser_;
    int failingChange_ = 0;
    std::vector<std::string> changes_;
};

// The registrar's decoder off Windows: the project's table, refusing what it cannot decode.
bool DecodeCp936ForTests(const char* text, size_t length, std::string& utf8);
