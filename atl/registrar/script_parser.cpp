// Reads registrar script text into keys and values, refusing anything outside its grammar.
#include "atl/registrar/registry_script.h"

#include <cstdint>

namespace {

// Deep enough for any real script; a bound keeps hostile nesting off the stack.
constexpr int MaximumDepth = 32;

bool IsLeadByte(uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsTrailByte(uint8_t byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// How many bytes the character at text[at] takes: 1, 2, or 0 for a lead byte without a trail.
size_t CharacterLength(const std::string& text, size_t at)
{
    if (!IsLeadByte(static_cast<uint8_t>(text[at])))
        return 1;
    return at + 1 < text.size() && IsTrailByte(static_cast<uint8_t>(text[at + 1])) ? 2 : 0;
}

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}

enum class TokenKind { Word, Quoted, Open, Close, Equals, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    int line = 1;
};

class ScriptReader {
public:
    ScriptReader(const char* text, size_t length, const Replacements& replacements)
        : text_(text, length), replacements_(replacements) {}

    bool ReadScript(RegistryScript& script);
    const std::string& Error() const { return error_; }

private:
    bool Next();
    bool IsBracedName() const;
    bool ReadWord();
    bool ReadQuoted();
    bool Fail(const std::string& why);
    bool Expand(const std::string& raw, std::string& expanded);
    bool ReadName(std::string& name);
    bool ReadValue(RegistryValue& value);
    bool ReadKey(ScriptKey& key, int depth);
    bool ReadBody(ScriptKey& key, int depth);

    std::string text_;
    const Replacements& replacements_;
    size_t position_ = 0;
    int line_ = 1;
    Token token_;
    std::string error_;
};

bool ScriptReader::Fail(const std::string& why)
{
    if (error_.empty())
        error_ = "line " + std::to_string(token_.line) + ": " + why;
    return false;
}

// Moves to the next token; false with an error on a byte the grammar has no place for.
bool ScriptReader::Next()
{
    while (position_ < text_.size()) {
        char c = text_[position_];
        if (c == '\n')
            ++line_;
        else if (c != ' ' && c != '\t' && c != '\r')
            break;
        ++position_;
    }
    token_ = Token{};
    token_.line = line_;
    if (position_ == text_.size())
        return true;
    switch (text_[position_]) {
    case '{':
        if (IsBracedName())
            return ReadWord();
        token_.kind = TokenKind::Open;
        ++position_;
        return true;
    case '}': token_.kind = TokenKind::Close; ++position_; return true;
    case '=': token_.kind = TokenKind::Equals; ++position_; return true;
    case '\'': return ReadQuoted();
    default: return ReadWord();
    }
}

// A class or library id stands unquoted as a name: "{" directly followed by more of a word.
bool ScriptReader::IsBracedName() const
{
    if (position_ + 1 >= text_.size())
        return false;
    char c = text_[position_ + 1];
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '{' && c != '}' && c != '=' && c != '\'';
}

// A bare name; one that opens with "{" runs to its "}".
bool ScriptReader::ReadWord()
{
    token_.kind = TokenKind::Word;
    if (text_[position_] == '{') {
        size_t end = text_.find('}', position_);
        size_t stop = text_.find_first_of(" \t\r\n{='", position_ + 1);
        if (end == std::string::npos || (stop != std::string::npos && stop < end))
            return Fail("'{' of a braced name without its '}'");
        token_.text = text_.substr(position_, end + 1 - position_);
        position_ = end + 1;
        return true;
    }
    while (position_ < text_.size()) {
        char c = text_[position_];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '{' || c == '}' || c == '=' || c == '\'')
            break;
        if (static_cast<uint8_t>(c) < 0x20)
            return Fail("control byte in a name");
        size_t step = CharacterLength(text_, position_);
        if (step == 0)
            return Fail("broken double-byte character");
        token_.text.append(text_, position_, step);
        position_ += step;
    }
    return true;
}

bool ScriptReader::ReadQuoted()
{
    token_.kind = TokenKind::Quoted;
    ++position_;
    while (position_ < text_.size()) {
        char c = text_[position_];
        if (c == '\'') {
            if (position_ + 1 < text_.size() && text_[position_ + 1] == '\'') {
                token_.text += '\'';
                position_ += 2;
                continue;
            }
            ++position_;
            return true;
        }
        if (c == '\r' || c == '\n')
            return Fail("quoted text runs past the end of its line");
        if (static_cast<uint8_t>(c) < 0x20 && c != '\t')
            return Fail("control byte in quoted text");
        size_t step = CharacterLength(text_, position_);
        if (step == 0)
            return Fail("broken double-byte character");
        token_.text.append(text_, position_, step);
        position_ += step;
    }
    return Fail("quoted text without its closing quote");
}

// "%NAME%" becomes its replacement and "%%" one percent sign; the result is not scanned again.
bool ScriptReader::Expand(const std::string& raw, std::string& expanded)
{
    expanded.clear();
    for (size_t at = 0; at < raw.size();) {
        size_t step = CharacterLength(raw, at);
        if (raw[at] != '%') {
            expanded.append(raw, at, step);
            at += step;
            continue;
        }
        size_t end = raw.find('%', at + 1);
        if (end == std::string::npos)
            return Fail("'%' without its closing '%'");
        std::string name = raw.substr(at + 1, end - at - 1);
        at = end + 1;
        if (name.empty()) {
            expanded += '%';
            continue;
        }
        const std::string* replacement = nullptr;
        for (const auto& entry : replacements_)
            if (entry.first == name)
                replacement = &entry.second;
        if (!replacement)
            return Fail("no replacement for %" + name + "%");
        expanded += *replacement;
    }
    return true;
}

// A key or value name: a word or quoted text, never empty and without a backslash.
bool ScriptReader::ReadName(std::string& name)
{
    if (token_.kind != TokenKind::Word && token_.kind != TokenKind::Quoted)
        return Fail("expected a name");
    if (!Expand(token_.text, name))
        return false;
    if (name.empty())
        return Fail("empty name");
    for (size_t at = 0; at < name.size(); at += CharacterLength(name, at))
        if (name[at] == '\\')
            return Fail("a name may not hold a backslash: " + name);
    return Next();
}

bool ParseNumber(const std::string& text, uint32_t& number)
{
    bool isHex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    size_t at = isHex ? 2 : 0;
    if (at == text.size())
        return false;
    uint64_t total = 0;
    for (; at < text.size(); ++at) {
        char c = text[at];
        int digit = c >= '0' && c <= '9' ? c - '0'
                  : isHex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : isHex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return false;
        total = total * (isHex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (total > UINT32_MAX)
            return false;
    }
    number = static_cast<uint32_t>(total);
    return true;
}

// At the type letter after "=": s 'text' or d 'number'.
bool ScriptReader::ReadValue(RegistryValue& value)
{
    if (token_.kind != TokenKind::Word || (token_.text != "s" && token_.text != "d"))
        return Fail("expected the value type s or d after '='");
    value.type = token_.text == "s" ? ValueType::String : ValueType::Number;
    if (!Next())
        return false;
    if (token_.kind != TokenKind::Quoted)
        return Fail("expected a quoted value");
    if (value.type == ValueType::String)
        return Expand(token_.text, value.text) && Next();
    if (!ParseNumber(token_.text, value.number))
        return Fail("not a 32-bit number: '" + token_.text + "'");
    return Next();
}

// At a key's first token (its marking or its name).
bool ScriptReader::ReadKey(ScriptKey& key, int depth)
{
    if (depth > MaximumDepth)
        return Fail("keys nested too deeply");
    if (token_.kind == TokenKind::Word) {
        if (EqualsIgnoringCase(token_.text, "ForceRemove"))
            key.marking = KeyMarking::ForceRemove;
        else if (EqualsIgnoringCase(token_.text, "NoRemove"))
            key.marking = KeyMarking::NoRemove;
        else if (EqualsIgnoringCase(token_.text, "Delete"))
            return Fail("the marking Delete is not supported");
        else if (EqualsIgnoringCase(token_.text, "val"))
            return Fail("a named value belongs inside a key's braces");
        if (key.marking != KeyMarking::None && !Next())
            return false;
    }
    if (!ReadName(key.name))
        return false;
    if (token_.kind == TokenKind::Equals) {
        key.hasDefault = true;
        if (!Next() || !ReadValue(key.defaultValue))
            return false;
    }
    if (token_.kind != TokenKind::Open)
        return true;
    return Next() && ReadBody(key, depth);
}

// After a key's "{": named values and subkeys up to the matching "}".
bool ScriptReader::ReadBody(ScriptKey& key, int depth)
{
    while (token_.kind != TokenKind::Close) {
        if (token_.kind == TokenKind::End)
            return Fail("'{' of key " + key.name + " is never closed");
        if (token_.kind == TokenKind::Word && EqualsIgnoringCase(token_.text, "val")) {
            ScriptNamedValue named;
            if (!Next() || !ReadName(named.name))
                return false;
            if (token_.kind != TokenKind::Equals)
                return Fail("expected '=' after the value name " + named.name);
            if (!Next() || !ReadValue(named.value))
                return false;
            key.values.push_back(std::move(named));
            continue;
        }
        ScriptKey subkey;
        if (!ReadKey(subkey, depth + 1))
            return false;
        key.subkeys.push_back(std::move(subkey));
    }
    return Next();
}

bool ScriptReader::ReadScript(RegistryScript& script)
{
    if (text_.find('\0') != std::string::npos)
        return Fail("NUL byte in the script");
    if (!Next())
        return false;
    while (token_.kind != TokenKind::End) {
        ScriptRoot root;
        if (token_.kind == TokenKind::Word && (EqualsIgnoringCase(token_.text, "HKCR") ||
                                               EqualsIgnoringCase(token_.text, "HKEY_CLASSES_ROOT")))
            root.root = RegistryRoot::ClassesRoot;
        else if (token_.kind == TokenKind::Word && (EqualsIgnoringCase(token_.text, "HKCU") ||
                                                    EqualsIgnoringCase(token_.text, "HKEY_CURRENT_USER")))
            root.root = RegistryRoot::CurrentUser;
        else
            return Fail("expected HKCR or HKCU, found '" + token_.text + "'");
        if (!Next())
            return false;
        if (token_.kind != TokenKind::Open)
            return Fail("expected '{' after the root");
        if (!Next())
            return false;
        while (token_.kind != TokenKind::Close) {
            if (token_.kind == TokenKind::End)
                return Fail("'{' of the root is never closed");
            ScriptKey key;
            if (!ReadKey(key, 1))
                return false;
            root.keys.push_back(std::move(key));
        }
        if (!Next())
            return false;
        script.roots.push_back(std::move(root));
    }
    return true;
}

}  // namespace

bool ParseRegistryScript(const char* text, size_t length, const Replacements& replacements,
                         RegistryScript& script, std::string& error)
{
    script = RegistryScript{};
    ScriptReader reader(text, length, replacements);
    if (reader.ReadScript(script)) {
        error.clear();
        return true;
    }
    script = RegistryScript{};
    error = reader.Error();
    return false;
}
