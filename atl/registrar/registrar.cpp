// The registrar's grammar and rules: each key is handled as it is read, so no tree is built.
#include "atl/registrar/registrar.h"

#include "atl/registrar/script_tokens.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

namespace {

// Deep enough for any real script; a bound keeps hostile nesting off the stack.
constexpr int MaximumDepth = 32;

enum class KeyMarking { None, ForceRemove, NoRemove };

// Keywords are letters, in any case; a word holds no other byte that folds onto a letter.
bool SameWord(Utf8Text word, const char* keyword)
{
    size_t at = 0;
    for (; at < word.length && keyword[at]; ++at)
        if ((word.data[at] | 0x20) != (keyword[at] | 0x20))
            return false;
    return at == word.length && !keyword[at];
}

// A bare word that means something to registrar scripts cannot also be a name.
bool IsKeyword(Utf8Text word)
{
    return SameWord(word, "ForceRemove") || SameWord(word, "NoRemove") || SameWord(word, "Delete") ||
           SameWord(word, "val");
}

bool ParseDecimal(const char* text, size_t length, uint32_t& number)
{
    uint64_t total = 0;
    for (size_t at = 0; at < length; ++at) {
        if (text[at] < '0' || text[at] > '9')
            return false;
        if ((total = total * 10 + static_cast<uint64_t>(text[at] - '0')) > UINT32_MAX)
            return false;
    }
    number = static_cast<uint32_t>(total);
    return length > 0;
}

RegistryError UnlessGone(RegistryError error) { return error == RegistryNotFound ? RegistryOk : error; }

// Names are bounded, so they live on the stack.
struct Name {
    char text[MaximumNameLength];
    size_t length = 0;
    int line = 0;
    Utf8Text Text() const { return {text, length}; }
};

// A value's text is bounded only by its script: it gets exactly the room it takes.
struct Value {
    std::unique_ptr<char[]> text;
    RegistryValue value{ValueType::String, {nullptr, 0}, 0};
};

// Closes the key it holds on every way out of a key's block.
struct OpenedKey {
    explicit OpenedKey(Registry* owner) : registry(owner) {}
    ~OpenedKey() { Close(); }
    void Close()
    {
        if (handle != NoKey)
            registry->CloseKey(handle);
        handle = NoKey;
    }

    Registry* registry;
    RegistryKey handle = NoKey;
};

// One reading of the script. Without a registry it only checks the script; with one it acts on
// each key's entries as it reads them, except below a key that unregistering finds gone.
struct ScriptWalk {
    ScriptTokens& tokens;
    Registry* registry;
    bool isRegistering;
    RegistrarOutcome& outcome;

    bool IsWord(const char* keyword) const { return tokens.Kind() == Token::Word && SameWord(tokens.Word(), keyword); }
    bool Check(RegistryError error, const char* what, int line);
    bool ReadName(Name& name);
    bool ReadValue(Value& read);
    bool ReadKey(RegistryKey parent, int depth);
    bool EnterKey(RegistryKey parent, KeyMarking marking, const Name& name, OpenedKey& key);
    bool LeaveKey(RegistryKey parent, KeyMarking marking, const Name& name, OpenedKey& key);
    bool ReadNamedValue(RegistryKey key);
    bool ReadBody(RegistryKey key, int depth, bool takesValues);
    bool ReadScript();
};

bool ScriptWalk::Check(RegistryError error, const char* what, int line)
{
    if (error == RegistryOk)
        return true;
    outcome.kind = RegistrarOutcome::Kind::RegistryFailed;
    outcome.error = error;
    DescribeAtLine(outcome, line, what);
    return false;
}

// A key or value name: a word or quoted text.
bool ScriptWalk::ReadName(Name& name)
{
    name.line = tokens.Line();
    if (tokens.Kind() != Token::Quoted && (tokens.Kind() != Token::Word || IsKeyword(tokens.Word())))
        return tokens.Fail("expected a name");
    if (tokens.Length() > MaximumNameLength)
        return tokens.Fail("a name longer than 765 bytes of UTF-8");
    if (!tokens.Copy(name.text))
        return false;
    name.length = tokens.Length();
    if (name.length == 0 || std::memchr(name.text, '\\', name.length))
        return tokens.Fail("a name is not empty and holds no backslash");
    return tokens.Next();
}

// At the type letter after "=": s 'text' or d 'number'.
bool ScriptWalk::ReadValue(Value& read)
{
    Utf8Text letter = tokens.Word();
    if (tokens.Kind() != Token::Word || letter.length != 1 || (*letter.data != 's' && *letter.data != 'd'))
        return tokens.Fail("expected the value type s or d after '='");
    read.value.type = *letter.data == 's' ? ValueType::String : ValueType::Number;
    if (!tokens.Next())
        return false;
    if (tokens.Kind() != Token::Quoted)
        return tokens.Fail("expected a quoted value");
    const size_t length = tokens.Length();
    read.text.reset(new (std::nothrow) char[length]);
    if (!read.text) {
        outcome.kind = RegistrarOutcome::Kind::OutOfMemory;
        DescribeAtLine(outcome, tokens.Line(), "out of memory");
        return false;
    }
    if (!tokens.Copy(read.text.get()))
        return false;
    read.value.text = {read.text.get(), length};
    if (read.value.type == ValueType::Number && !ParseDecimal(read.text.get(), length, read.value.number))
        return tokens.Fail("a d value is a decimal 32-bit number");
    return tokens.Next();
}

// At a key's first token (its marking or its name).
bool ScriptWalk::ReadKey(RegistryKey parent, int depth)
{
    if (depth > MaximumDepth)
        return tokens.Fail("keys nested too deeply");
    KeyMarking marking = IsWord("ForceRemove") ? KeyMarking::ForceRemove
                         : IsWord("NoRemove")  ? KeyMarking::NoRemove
                                               : KeyMarking::None;
    Name name;
    if ((marking != KeyMarking::None && !tokens.Next()) || !ReadName(name))
        return false;
    OpenedKey key(registry);
    if (parent != NoKey && !EnterKey(parent, marking, name, key))
        return false;
    if (tokens.Kind() == Token::Equals) {
        Value read;
        if (!tokens.Next() || !ReadValue(read))
            return false;
        if (isRegistering && key.handle != NoKey &&
            !Check(registry->SetValue(key.handle, {"", 0}, read.value), "could not set the default value", name.line))
            return false;
    }
    if (tokens.Kind() == Token::Open && !ReadBody(key.handle, depth, true))
        return false;
    return LeaveKey(parent, marking, name, key);
}

// Registering: a forced key is rewritten whole, so nothing of an older registration survives
// below it. Unregistering: a key that is gone has nothing left to undo.
bool ScriptWalk::EnterKey(RegistryKey parent, KeyMarking marking, const Name& name, OpenedKey& key)
{
    if (!isRegistering) {
        RegistryError opened = registry->OpenKey(parent, name.Text(), key.handle);
        return opened == RegistryNotFound || Check(opened, "could not open the key", name.line);
    }
    if (marking == KeyMarking::ForceRemove &&
        !Check(UnlessGone(registry->DeleteTree(parent, name.Text())), "could not delete the key", name.line))
        return false;
    return Check(registry->CreateKey(parent, name.Text(), key.handle), "could not create the key", name.line);
}

// Unregistering, after the key's block: the script's subkeys are gone unless kept, so any
// subkey left is another program's or a kept one, and keeps the key too.
bool ScriptWalk::LeaveKey(RegistryKey parent, KeyMarking marking, const Name& name, OpenedKey& key)
{
    if (isRegistering || key.handle == NoKey || marking == KeyMarking::NoRemove)
        return true;
    bool hasSubkeys = false;
    if (!Check(registry->HasSubkeys(key.handle, hasSubkeys), "could not read the key", name.line))
        return false;
    key.Close();
    return hasSubkeys ||
           Check(UnlessGone(registry->DeleteKey(parent, name.Text())), "could not delete the key", name.line);
}

// At "val": its name, '=' and its value.
bool ScriptWalk::ReadNamedValue(RegistryKey key)
{
    Name name;
    Value read;
    if (!tokens.Next() || !ReadName(name))
        return false;
    if (tokens.Kind() != Token::Equals)
        return tokens.Fail("expected '=' after the value's name");
    if (!tokens.Next() || !ReadValue(read))
        return false;
    if (key == NoKey)
        return true;
    if (isRegistering)
        return Check(registry->SetValue(key, name.Text(), read.value), "could not set a value", name.line);
    return Check(UnlessGone(registry->DeleteValue(key, name.Text())), "could not delete a value", name.line);
}

// At a "{": named values (where they may stand) and keys, up to the matching "}".
bool ScriptWalk::ReadBody(RegistryKey key, int depth, bool takesValues)
{
    if (!tokens.Next())
        return false;
    while (tokens.Kind() != Token::Close) {
        if (tokens.Kind() == Token::End)
            return tokens.Fail("'{' without its '}'");
        if (!(takesValues && IsWord("val") ? ReadNamedValue(key) : ReadKey(key, depth + 1)))
            return false;
    }
    return tokens.Next();
}

bool ScriptWalk::ReadScript()
{
    if (!tokens.Next())
        return false;
    while (tokens.Kind() != Token::End) {
        RegistryRoot root = RegistryRoot::ClassesRoot;
        if (IsWord("HKCU"))
            root = RegistryRoot::CurrentUser;
        else if (!IsWord("HKCR"))
            return tokens.Fail("expected HKCR or HKCU");
        if (!tokens.Next())
            return false;
        if (tokens.Kind() != Token::Open)
            return tokens.Fail("expected '{' after the root");
        if (!ReadBody(registry ? registry->Root(root) : NoKey, 0, false))
            return false;
    }
    return true;
}

}  // namespace

RegistrarOutcome UpdateRegistryFromScript(const char* text, size_t length, Utf8Text modulePath, Cp936Decoder decode,
                                          Registry& registry, RegistrarMode mode)
{
    RegistrarOutcome outcome;
    // The first reading only checks, so that a refused script touches nothing.
    for (Registry* target : {static_cast<Registry*>(nullptr), &registry}) {
        ScriptTokens tokens(text, length, modulePath, decode, outcome);
        if (!ScriptWalk{tokens, target, mode == RegistrarMode::Register, outcome}.ReadScript())
            break;
    }
    return outcome;
}
