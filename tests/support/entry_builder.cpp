// The walk's delivery of entries, rebuilt for interpreter tests.
#include "support/entry_builder.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "resources/code_page_936.h"
#include "resources/text_table.h"

namespace {

constexpr uint32_t BytesPerValue[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};   // by TIFF type
constexpr uint32_t FetchLimit = 64;

std::vector<TextId> loadedIds;

int RecordLoad(Handle, TextId id, char* buffer, int size)
{
    loadedIds.push_back(id);
    return LoadTextCp936(id, buffer, size);
}

bool FetchesIntoScratch(uint16_t type) { return type == 1 || type == 2 || type == 6 || type == 7; }
bool FetchesIntoValueArea(uint16_t type) { return type == 4 || type == 5 || type == 9 || type == 10; }

}  // namespace

const Platform& RecordingPlatform()
{
    static const Platform platform = {FileCalls{}, InternetCalls{}, RecordLoad, nullptr};
    return platform;
}

std::vector<TextId>& LoadedTextIds() { return loadedIds; }

EntryBuilder::EntryBuilder(ViewRecord& record, ByteOrder byteOrder) : view(record), order(byteOrder) {}

std::vector<uint8_t> EntryBuilder::Encode16(uint16_t value) const
{
    auto low = static_cast<uint8_t>(value & 0xFF);
    auto high = static_cast<uint8_t>(value >> 8);
    return order == ByteOrder::Intel ? std::vector<uint8_t>{low, high} : std::vector<uint8_t>{high, low};
}

std::vector<uint8_t> EntryBuilder::Encode32(uint32_t value) const
{
    std::vector<uint8_t> bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    if (order == ByteOrder::Motorola)
        std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

void EntryBuilder::Header(uint16_t tag, uint16_t type, uint32_t count)
{
    view.scratch[0] = 0;
    view.isLittleEndian = order == ByteOrder::Intel ? 1 : 0;
    view.entry.tag = tag;
    view.entry.type = type;
    view.entry.count = count;
}

void EntryBuilder::Entry(uint16_t tag, uint16_t type, uint32_t count, const std::vector<uint8_t>& fileBytes)
{
    Header(tag, type, count);
    uint64_t size = type < std::size(BytesPerValue) ? uint64_t{count} * BytesPerValue[type] : 0;
    if (size <= 4) {
        uint8_t word[4] = {};
        memcpy(word, fileBytes.data(), std::min<size_t>(fileBytes.size(), 4));
        // ReadEntry reads the word in host (little-endian) order and swaps it whole for "MM".
        view.entry.valueOffset = order == ByteOrder::Intel
            ? uint32_t{word[0]} | uint32_t{word[1]} << 8 | uint32_t{word[2]} << 16 | uint32_t{word[3]} << 24
            : uint32_t{word[0]} << 24 | uint32_t{word[1]} << 16 | uint32_t{word[2]} << 8 | uint32_t{word[3]};
        if (type == 2) {   // a short text is copied from the value field, in file order
            memcpy(view.scratch, word, static_cast<size_t>(size));
            view.scratch[size] = 0;
        }
        view.InterpretEntry();
        return;
    }
    view.entry.valueOffset = 0x2A;   // where the value lies; the interpreter never looks
    size_t fetched = std::min<size_t>(fileBytes.size(), static_cast<size_t>(size));
    if (size < FetchLimit && FetchesIntoScratch(type))
        memcpy(view.scratch, fileBytes.data(), fetched);
    else if (size < FetchLimit && FetchesIntoValueArea(type))
        memcpy(view.valueArea, fileBytes.data(), fetched);
    view.InterpretEntry();
}

void EntryBuilder::Unfetched(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset)
{
    Header(tag, type, count);
    view.entry.valueOffset = offset;
    view.InterpretEntry();
}

void EntryBuilder::Short(uint16_t tag, uint16_t value, uint16_t otherHalf)
{
    std::vector<uint8_t> bytes = Encode16(value);
    std::vector<uint8_t> other = Encode16(otherHalf);
    bytes.insert(bytes.end(), other.begin(), other.end());
    Entry(tag, 3, 1, bytes);
}

void EntryBuilder::Shorts(uint16_t tag, uint16_t first, uint16_t second)
{
    std::vector<uint8_t> bytes = Encode16(first);
    std::vector<uint8_t> other = Encode16(second);
    bytes.insert(bytes.end(), other.begin(), other.end());
    Entry(tag, 3, 2, bytes);
}

void EntryBuilder::Long(uint16_t tag, uint32_t value) { Entry(tag, 4, 1, Encode32(value)); }

void EntryBuilder::Rational(uint16_t tag, uint32_t numerator, uint32_t denominator)
{
    std::vector<uint8_t> bytes = Encode32(numerator);
    std::vector<uint8_t> second = Encode32(denominator);
    bytes.insert(bytes.end(), second.begin(), second.end());
    Entry(tag, 5, 1, bytes);
}

void EntryBuilder::SignedRational(uint16_t tag, int32_t numerator, int32_t denominator)
{
    std::vector<uint8_t> bytes = Encode32(static_cast<uint32_t>(numerator));
    std::vector<uint8_t> second = Encode32(static_cast<uint32_t>(denominator));
    bytes.insert(bytes.end(), second.begin(), second.end());
    Entry(tag, 10, 1, bytes);
}

void EntryBuilder::Ascii(uint16_t tag, const std::string& text)
{
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    Entry(tag, 2, static_cast<uint32_t>(bytes.size()), bytes);
}

void EntryBuilder::Undefined(uint16_t tag, const std::string& bytes)
{
    Entry(tag, 7, static_cast<uint32_t>(bytes.size()), std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string SlotText(const ViewRecord& view, InfoSlot slot)
{
    return std::string(view.slots[slot], strnlen(view.slots[slot], SlotSize));
}

std::string Gbk(const char* utf8)
{
    char buffer[1024];
    int length = Utf8ToCp936(utf8, buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(length));
}

std::string TableText(TextId id)
{
    const char* text = FindText(id);
    return text ? Gbk(text) : std::string("<no text ") + std::to_string(id) + ">";
}
