// Address rules: which back end reads the picture, and a "file:///" address turned into a path.
#include <cstring>

#include "view/classify_address.h"

namespace {

constexpr size_t ShortestAddress = 10;
// "https://" joined the three the browser's menu first handed over: photos are served over TLS
// today, and both back ends read it as they read http (certificates checked).
constexpr const char* RemotePrefixes[] = {"http://", "https://", "ftp://", "gopher://"};
constexpr const char FilePrefix[] = "file:///";

// Exact and case-sensitive, at the first byte only.
bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// "file:///D:/My%20Photos/a.jpg" becomes "D:\My Photos\a.jpg"; %20 is the only escape decoded.
// The write position never passes the read position, so the rewrite works in place.
void RewriteAsLocalPath(char* address, size_t length)
{
    size_t write = 0;
    for (size_t read = sizeof FilePrefix - 1; read < length; ++read, ++write) {
        char byte = address[read];
        if (byte == '/') {
            address[write] = '\\';
        } else if (byte == '%' && address[read + 1] == '2' && address[read + 2] == '0') {
            // The terminator stops the test before it could look past the text.
            address[write] = ' ';
            read += 2;
        } else {
            address[write] = byte;
        }
    }
    address[write] = 0;
}

}  // namespace

bool ClassifyAddress(ViewRecord& view, char* address)
{
    size_t length = address ? std::strlen(address) : 0;  // a null text counts as empty
    if (length < ShortestAddress) {  // before any prefix test: "file:///D" is refused
        view.ReportMessage(MessageBadAddress);
        return false;
    }
    for (const char* prefix : RemotePrefixes) {
        if (StartsWith(address, prefix)) {
            view.isRemote = 1;  // handed on unchanged, %20 included
            return true;
        }
    }
    if (StartsWith(address, FilePrefix)) {
        view.isRemote = 0;
        RewriteAsLocalPath(address, length);
        return true;
    }
    view.ReportMessage(MessageBadAddress);  // isRemote keeps its value
    return false;
}
