// Reads registrar script text into keys and values, refusing anything outside its grammar.
#include "atl/registrar/registrar.h"

#include "resources/code_page_936.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// Deep enough for any real script; a bound keeps hostile nesting off the stack.
constexpr int MaximumDepth = 32;
constexpr char ModuleMark[] = "%MODULE%";
constexpr size_t ModuleMarkLength = sizeof ModuleMark - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

// Keywords are letters, in any case; a word holds no other byte that folds onto a letter.
bool SameWord(const std::string& word, const char* keyword)
{
    size_t at = 0;
    for (; at < word.size() && keyword[at]; ++at)
        if ((word[at] | 0x20) != (keyword[at] | 0x20))
            return false;
    return at == word.size() && !keyword[at];
}

// A bare word that means something to registrar scripts cannot also be a name.
bool IsKeyword(const std::string& word)
{
    return SameWord(word, "ForceRemove") || SameWord(word, "NoRemove") || SameWord(word, "Delete") ||
           SameWord(word, "val");
}

bool ParseDecimal(const std::string& text, uint32_t& number)
{
    uint64_t total = 0;
    for (char c : text)
        if (c < '0' || c > '9' || (total = total * 10 + static_cast<uint64_t>(c - '0')) > UINT32_MAX)
            return false;
    number = static_cast<uint32_t>(total);
    return !text.empty();
}

enum class Token { Word, Quoted, Open, Close, Equals, End };

class ScriptReader {
public:
    ScriptReader(const char* text, size_t length, const std::string& modulePath, Cp936Decoder decode)
        : text_(text), length_(length), modulePath_(modulePath), decode_(decode) {}

    bool ReadScript(RegistryScript& script);
    std::string error;

private:
    bool Fail(const char* why);
    bool Next();
    bool ReadWord();
    bool ReadQuoted();
    bool Decode(std::string& raw);
    bool ReadName(std::string& name);
    bool ReadValue(RegistryValue& value);
    bool ReadKey(ScriptKey& key, int depth);
    bool ReadBody(ScriptKey& key, int depth, bool takesValues);

    const char* text_;
    size_t length_;
    const std::string& modulePath_;
    Cp936Decoder decode_;
    size_t position_ = 0;
    int line_ = 1;
    Token token_ = Token::End;
    int tokenLine_ = 1;
    std::string tokenText_;  // UTF-8
};

bool ScriptReader::Fail(const char* why)
{
    error = "line " + std::to_string(tokenLine_) + ": " + why;
    return false;
}

// Moves to the next token; false with an error on bytes the grammar has no place for.
bool ScriptReader::Next()
{
    for (; position_ < length_ && IsBlank(text_[position_]); ++position_)
        if (text_[position_] == '\n')
            ++line_;
    tokenLine_ = line_;
    tokenText_.clear();
    if (position_ == length_) {
        token_ = Token::End;
        return true;
    }
    return text_[position_] == '\'' ? ReadQuoted() : ReadWord();
}

bool ScriptReader::ReadWord()
{
    size_t start = position_;
    while (position_ < length_ && !IsBlank(text_[position_]))
        ++position_;
    tokenText_.assign(text_ + start, position_ - start);
    token_ = tokenText_ == "{" ? Token::Open : tokenText_ == "}" ? Token::Close
           : tokenText_ == "=" ? Token::Equals : Token::Word;
    if (token_ != Token::Word)
        return true;
    bool isBraced = tokenText_.size() > 2 && tokenText_.front() == '{' && tokenText_.back() == '}';
    for (size_t at = isBraced ? 1 : 0; at < tokenText_.size() - (isBraced ? 1 : 0); ++at)
        if (!IsWordByte(tokenText_[at]))
            return Fail("a name with other characters than letters, digits, '.', '_' and '-' must be quoted");
    return true;
}

// Quoted text: code page 936 up to "%MODULE%" or the end, then UTF-8. A lead byte always takes
// the next byte with it, so a trail byte is never read as a quote or a percent sign.
bool ScriptReader::ReadQuoted()
{
    token_ = Token::Quoted;
    std::string raw;
    for (++position_; position_ < length_;) {
        const char* at = text_ + position_;
        size_t left = length_ - position_;
        if (*at == '\'') {
            if (left == 1 || at[1] != '\'') {
                ++position_;
                return Decode(raw);
            }
            raw += '\'';  // '' is one quote
            position_ += 2;
            continue;
        }
        if (*at == '%') {
            if (left < ModuleMarkLength || std::memcmp(at, ModuleMark, ModuleMarkLength) != 0)
                return Fail("'%' other than in %MODULE%");
            if (!Decode(raw))
                return false;
            tokenText_ += modulePath_;
            position_ += ModuleMarkLength;
            continue;
        }
        if (static_cast<uint8_t>(*at) < 0x20 && *at != '\t')
            return Fail("a control byte or a line end in quoted text");
        size_t width = IsCp936LeadByte(*at) ? 2 : 1;
        if (width > left)
            return Fail("a double-byte character cut off by the end of the script");
        raw.append(at, width);
        position_ += width;
    }
    return Fail("quoted text without its closing quote");
}

bool ScriptReader::Decode(std::string& raw)
{
    std::string decoded;
    if (!raw.empty() && !decode_(raw.data(), raw.size(), decoded))
        return Fail("quoted text that is no code page 936 text");
    tokenText_ += decoded;
    raw.clear();
    return true;
}

// A key or value name: a word or quoted text, never empty and without a backslash.
bool ScriptReader::ReadName(std::string& name)
{
    if (token_ != Token::Quoted && (token_ != Token::Word || IsKeyword(tokenText_)))
        return Fail("expected a name");
    if (tokenText_.empty() || tokenText_.find('\\') != std::string::npos)
        return Fail("a name is not empty and holds no backslash");
    name = tokenText_;
    return Next();
}

// At the type letter after "=": s 'text' or d 'number'.
bool ScriptReader::ReadValue(RegistryValue& value)
{
    if (token_ != Token::Word || (tokenText_ != "s" && tokenText_ != "d"))
        return Fail("expected the value type s or d after '='");
    value.type = tokenText_ == "s" ? ValueType::String : ValueType::Number;
    if (!Next())
        return false;
    if (token_ != Token::Quoted)
        return Fail("expected a quoted value");
    if (value.type == ValueType::String)
        value.text = tokenText_;
    else if (!ParseDecimal(tokenText_, value.number))
        return Fail("a d value is a decimal 32-bit number");
    return Next();
}

// At a key's first token (its marking or its name).
bool ScriptReader::ReadKey(ScriptKey& key, int depth)
{
    if (depth > MaximumDepth)
        return Fail("keys nested too deeply");
    if (token_ == Token::Word && SameWord(tokenText_, "ForceRemove"))
        key.marking = KeyMarking::ForceRemove;
    else if (token_ == Token::Word && SameWord(tokenText_, "NoRemove"))
        key.marking = KeyMarking::NoRemove;
    if ((key.marking != KeyMarking::None && !Next()) || !ReadName(key.name))
        return false;
    if (token_ == Token::Equals) {
        key.hasDefault = true;
        if (!Next() || !ReadValue(key.defaultValue))
            return false;
    }
    return token_ != Token::Open || ReadBody(key, depth, true);
}

// At a "{": named values (where they may stand) and keys, up to the matching "}".
bool ScriptReader::ReadBody(ScriptKey& key, int depth, bool takesValues)
{
    if (!Next())
        return false;
    while (token_ != Token::Close) {
        if (token_ == Token::End)
            return Fail("'{' without its '}'");
        if (takesValues && token_ == Token::Word && SameWord(tokenText_, "val")) {
            key.values.emplace_back();
            ScriptNamedValue& named = key.values.back();
            if (!Next() || !ReadName(named.name))
                return false;
            if (token_ != Token::Equals)
                return Fail("expected '=' after the value's name");
            if (!Next() || !ReadValue(named.value))
                return false;
            continue;
        }
        key.subkeys.emplace_back();
        if (!ReadKey(key.subkeys.back(), depth + 1))
            return false;
    }
    return Next();
}

bool ScriptReader::ReadScript(RegistryScript& script)
{
    if (!Next())
        return false;
    while (token_ != Token::End) {
        script.roots.emplace_back();
        ScriptRoot& root = script.roots.back();
        if (token_ == Token::Word && SameWord(tokenText_, "HKCU"))
            root.root = RegistryRoot::CurrentUser;
        else if (token_ != Token::Word || !SameWord(tokenText_, "HKCR"))
            return Fail("expected HKCR or HKCU");
        if (!Next())
            return false;
        if (token_ != Token::Open)
            return Fail("expected '{' after the root");
        ScriptKey body;
        if (!ReadBody(body, 0, false))
            return false;
        root.keys = std::move(body.subkeys);
    }
    return true;
}

}  // namespace

bool ParseRegistryScript(const char* text, size_t length, const std::string& modulePath, Cp936Decoder decode,
                         RegistryScript& script, std::string& error)
{
    script = RegistryScript{};
    ScriptReader reader(text, length, modulePath, decode);
    if (!reader.ReadScript(script)) {
        script = RegistryScript{};
        error = reader.error;
        return false;
    }
    error.clear();
    return true;
}
