// The `orvane` command: options, one reading attempt per address, the output and exit status.
#pragma once

#include <ostream>
#include <string>

#include "cli/read_address.h"

constexpr int ExitAllRead = 0;
constexpr int ExitSomeNotRead = 1;
constexpr int ExitUsage = 2;

// One JSON object, without a line end: address, message_id, message, slots, slots_hex.
std::string FormatJsonOutcome(const std::string& address, const AddressOutcome& outcome);

// The listed rows, "label TAB text" and a line end each, in UTF-8.
std::string FormatRows(const AddressOutcome& outcome);

// A command-line argument (an address or a path) as UTF-8 for display.
std::string ArgumentForDisplay(const std::string& argument);

// The whole command: arguments without the program name; returns the exit status.
int RunOrvane(int argumentCount, const char* const* arguments, std::ostream& out, std::ostream& err);
