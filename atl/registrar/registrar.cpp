// The registrar's rules: ForceRemove and NoRemove, register and unregister, over any registry.
#include "atl/registrar/registrar.h"

namespace {

// Registry trees are at most 512 levels deep on Windows; deeper means a registry gone wrong.
constexpr int MaximumTreeDepth = 512;
constexpr RegistryError TreeTooDeep = 1010;  // ERROR_BADKEY

class ScriptRun {
public:
    ScriptRun(Registry& registry, RegistryRoot root) : registry_(registry), root_(root) {}

    bool Register(const ScriptKey& key, const std::string& parent);
    bool Unregister(const ScriptKey& key, const std::string& parent);
    RegistrarOutcome Outcome() const { return outcome_; }

private:
    bool Check(RegistryError error, const char* what, const std::string& path);

    Registry& registry_;
    RegistryRoot root_;
    RegistrarOutcome outcome_;
};

std::string Join(const std::string& parent, const std::string& name)
{
    return parent.empty() ? name : parent + '\\' + name;
}

bool ScriptRun::Check(RegistryError error, const char* what, const std::string& path)
{
    if (error == RegistryOk)
        return true;
    outcome_.kind = RegistrarOutcome::Kind::RegistryFailed;
    outcome_.error = error;
    outcome_.message = std::string(what) + " " + path + " failed with error " + std::to_string(error);
    return false;
}

bool ScriptRun::Register(const ScriptKey& key, const std::string& parent)
{
    std::string path = Join(parent, key.name);
    // A forced key is rewritten whole, so nothing of an older registration survives below it.
    if (key.marking == KeyMarking::ForceRemove && !Check(DeleteKeyTree(registry_, root_, path), "deleting", path))
        return false;
    if (!Check(registry_.CreateKey(root_, path), "creating", path))
        return false;
    if (key.hasDefault && !Check(registry_.SetValue(root_, path, "", key.defaultValue), "setting the default of", path))
        return false;
    for (const ScriptNamedValue& named : key.values)
        if (!Check(registry_.SetValue(root_, path, named.name, named.value), "setting a value of", path))
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
    RegistryError listed = registry_.ListSubkeys(root_, path, subkeys);
    if (listed == RegistryNotFound)
        return true;
    if (!Check(listed, "reading", path))
        return false;
    for (const ScriptKey& subkey : key.subkeys)
        if (!Unregister(subkey, path))
            return false;
    for (const ScriptNamedValue& named : key.values) {
        RegistryError deleted = registry_.DeleteValue(root_, path, named.name);
        if (deleted != RegistryNotFound && !Check(deleted, "deleting a value of", path))
            return false;
    }
    if (key.marking == KeyMarking::NoRemove)
        return true;
    // Another program's subkeys keep the key, and with it everything of ours that is left there.
    subkeys.clear();
    if (!Check(registry_.ListSubkeys(root_, path, subkeys), "reading", path))
        return false;
    if (!subkeys.empty())
        return true;
    RegistryError deleted = registry_.DeleteKey(root_, path);
    return deleted == RegistryNotFound || Check(deleted, "deleting", path);
}

RegistryError DeleteTreeBelow(Registry& registry, RegistryRoot root, const std::string& path, int depth)
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
        if ((error = DeleteTreeBelow(registry, root, Join(path, name), depth + 1)) != RegistryOk)
            return error;
    error = registry.DeleteKey(root, path);
    return error == RegistryNotFound ? RegistryOk : error;
}

}  // namespace

RegistryError DeleteKeyTree(Registry& registry, RegistryRoot root, const std::string& path)
{
    return DeleteTreeBelow(registry, root, path, 0);
}

RegistrarOutcome RunRegistryScript(const RegistryScript& script, Registry& registry, RegistrarMode mode)
{
    for (const ScriptRoot& root : script.roots) {
        ScriptRun run(registry, root.root);
        for (const ScriptKey& key : root.keys) {
            bool done = mode == RegistrarMode::Register ? run.Register(key, "") : run.Unregister(key, "");
            if (!done)
                return run.Outcome();
        }
    }
    return RegistrarOutcome{};
}

RegistrarOutcome UpdateRegistryFromScript(const char* text, size_t length, const Replacements& replacements,
                                          Registry& registry, RegistrarMode mode)
{
    RegistryScript script;
    RegistrarOutcome outcome;
    if (!ParseRegistryScript(text, length, replacements, script, outcome.message)) {
        outcome.kind = RegistrarOutcome::Kind::ScriptRefused;
        return outcome;
    }
    return RunRegistryScript(script, registry, mode);
}
