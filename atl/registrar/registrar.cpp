// The registrar's rules: ForceRemove and NoRemove, register and unregister, over any registry.
#include "atl/registrar/registrar.h"

namespace {

// Registry trees are at most 512 levels deep on Windows; deeper means a registry gone wrong.
constexpr int MaximumTreeDepth = 512;
constexpr RegistryError TreeTooDeep = 1010;  // ERROR_BADKEY

// One root's keys in one mode; the first failure stops the run and is kept.
struct ScriptRun {
    Registry& registry;
    RegistryRoot root;
    RegistrarOutcome outcome;

    bool Check(RegistryError error, const char* what, const std::string& path);
    bool Register(const ScriptKey& key, const std::string& parent);
    bool Unregister(const ScriptKey& key, const std::string& parent);
};

std::string Join(const std::string& parent, const std::string& name)
{
    return parent.empty() ? name : parent + '\\' + name;
}

// Deletes the key with everything below it; a missing key is no failure.
RegistryError DeleteKeyTree(Registry& registry, RegistryRoot root, const std::string& path, int depth = 0)
{
    std::vector<std::string> subkeys;
    RegistryError error = registry.ListSubkeys(root, path, subkeys);
    if (error == RegistryNotFound)
        return RegistryOk;
    if (error != RegistryOk)
        return error;
    if (depth > MaximumTreeDepth)
        return TreeTooDeep;
    for (const std::string& name : subkeys)
        if ((error = DeleteKeyTree(registry, root, Join(path, name), depth + 1)) != RegistryOk)
            return error;
    error = registry.DeleteKey(root, path);
    return error == RegistryNotFound ? RegistryOk : error;
}

bool ScriptRun::Check(RegistryError error, const char* what, const std::string& path)
{
    if (error == RegistryOk)
        return true;
    outcome.kind = RegistrarOutcome::Kind::RegistryFailed;
    outcome.error = error;
    outcome.message = std::string(what) + " " + path + " failed with error " + std::to_string(error);
    return false;
}

bool ScriptRun::Register(const ScriptKey& key, const std::string& parent)
{
    std::string path = Join(parent, key.name);
    // A forced key is rewritten whole, so nothing of an older registration survives below it.
    if (key.marking == KeyMarking::ForceRemove && !Check(DeleteKeyTree(registry, root, path), "deleting", path))
        return false;
    if (!Check(registry.CreateKey(root, path), "creating", path))
        return false;
    if (key.hasDefault && !Check(registry.SetValue(root, path, "", key.defaultValue), "setting the default of", path))
        return false;
    for (const ScriptNamedValue& named : key.values)
        if (!Check(registry.SetValue(root, path, named.name, named.value), "setting a value of", path))
            return false;
    for (const ScriptKey& subkey : key.subkeys)
        if (!Register(subkey, path))
            return false;
    return true;
}

bool ScriptRun::Unregister(const ScriptKey& key, const std::string& parent)
{
    std::string path = Join(parent, key.name);
    std::vector<std::string> subkeys;
    RegistryError listed = registry.ListSubkeys(root, path, subkeys);
    if (listed == RegistryNotFound)
        return true;
    if (!Check(listed, "reading", path))
        return false;
    for (const ScriptKey& subkey : key.subkeys)
        if (!Unregister(subkey, path))
            return false;
    for (const ScriptNamedValue& named : key.values) {
        RegistryError deleted = registry.DeleteValue(root, path, named.name);
        if (deleted != RegistryNotFound && !Check(deleted, "deleting a value of", path))
            return false;
    }
    if (key.marking == KeyMarking::NoRemove)
        return true;
    // Another program's subkeys keep the key, and with it everything of ours that is left there.
    subkeys.clear();
    if (!Check(registry.ListSubkeys(root, path, subkeys), "reading", path))
        return false;
    if (!subkeys.empty())
        return true;
    RegistryError deleted = registry.DeleteKey(root, path);
    return deleted == RegistryNotFound || Check(deleted, "deleting", path);
}

}  // namespace

RegistrarOutcome UpdateRegistryFromScript(const char* text, size_t length, const std::string& modulePath,
                                          Cp936Decoder decode, Registry& registry, RegistrarMode mode)
{
    RegistryScript script;
    RegistrarOutcome outcome;
    if (!ParseRegistryScript(text, length, modulePath, decode, script, outcome.message)) {
        outcome.kind = RegistrarOutcome::Kind::ScriptRefused;
        return outcome;
    }
    for (const ScriptRoot& root : script.roots) {
        ScriptRun run{registry, root.root, {}};
        for (const ScriptKey& key : root.keys) {
            bool done = mode == RegistrarMode::Register ? run.Register(key, "") : run.Unregister(key, "");
            if (!done)
                return run.outcome;
        }
    }
    return outcome;
}
