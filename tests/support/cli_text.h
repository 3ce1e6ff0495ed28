// The front end's appending writers, each into a string of its own, for tests that compare whole
// texts; and one reading of an address. Header-only: only the tests that link the front end use it.
#pragma once

#include <string>

#include "cli/csv_output.h"
#include "cli/json_text.h"
#include "cli/picture_output.h"
#include "cli/read_address.h"

inline std::string Json(const std::string& utf8)
{
    std::string out;
    AppendJsonString(out, utf8.data(), utf8.size());
    return out;
}

inline std::string Hex(const std::string& bytes)
{
    std::string out;
    AppendHexBytes(out, bytes.data(), bytes.size());
    return out;
}

inline std::string Utf8(const std::string& text)
{
    std::string out;
    AppendValidUtf8(out, text.data(), text.size());
    return out;
}

inline std::string JsonLine(const std::string& address, const AddressOutcome& outcome)
{
    std::string out, scratch;
    AppendJsonOutcome(out, address, outcome, scratch);
    return out;
}

inline std::string CsvFieldOf(const std::string& text)
{
    std::string out;
    AppendCsvField(out, text.data(), text.size());
    return out;
}

inline std::string CsvLineOf(const std::string& displayAddress, const AddressOutcome& outcome)
{
    std::string out, scratch;
    AppendCsvLine(out, displayAddress, outcome, scratch);
    return out;
}

inline std::string RowsOf(const AddressOutcome& outcome)
{
    std::string out;
    AppendRows(out, outcome);
    return out;
}

// A fresh outcome of ReadAddressInto over this build's platform.
inline AddressOutcome ReadAddressOnce(const std::string& address, const Platform& platform)
{
    AddressOutcome outcome;
    ReadAddressInto(outcome, address, nullptr, platform);
    return outcome;
}
