// The address rules restated, written from the rules rather than from ClassifyAddress.
#include "support/address_model.h"

#include <cstring>

namespace {

constexpr const char LocalPrefix[] = "file:///";
constexpr size_t LocalPrefixLength = sizeof LocalPrefix - 1;

}  // namespace

bool IsAcceptableAddress(const std::string& address)
{
    if (address.size() < 10)
        return false;
    for (const char* prefix : {"http://", "https://", "ftp://", "gopher://", LocalPrefix}) {
        if (address.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    }
    return false;
}

std::string RewrittenAddress(const std::string& address)
{
    if (address.compare(0, LocalPrefixLength, LocalPrefix) != 0)
        return address;
    std::string out;
    for (size_t i = LocalPrefixLength; i < address.size(); ++i) {
        if (address[i] == '/') {
            out += '\\';
        } else if (address[i] == '%' && address.compare(i + 1, 2, "20") == 0) {
            out += ' ';
            i += 2;
        } else {
            out += address[i];
        }
    }
    return out;
}
