// Range requests over libcurl: asking, deciding what the answer holds, keeping the wanted
// bytes, and giving up on a transfer that stalls.
#include "backends/curl_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr long MaximumRedirects = 10;

bool IsHttpScheme(const char* scheme)
{
    return scheme && (strncmp(scheme, "HTTP", 4) == 0 || strncmp(scheme, "http", 4) == 0);
}

bool IsFtpScheme(const char* scheme)
{
    return scheme && (strncmp(scheme, "FTP", 3) == 0 || strncmp(scheme, "ftp", 3) == 0);
}

// The connection broke, or the server closed it, before the answer was whole: another try on a
// fresh connection may well get it. A refused connection or a timeout is not tried again.
bool IsCutOff(CURLcode result)
{
    return result == CURLE_GOT_NOTHING || result == CURLE_SEND_ERROR || result == CURLE_RECV_ERROR ||
           result == CURLE_PARTIAL_FILE || result == CURLE_HTTP2_STREAM;
}

// Where the arriving data starts is known only once the answer's status is.
void Decide(Transfer& transfer)
{
    transfer.isDecided = true;
    long status = 0;
    const char* scheme = nullptr;
    Curl().easyGetinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    Curl().easyGetinfo(transfer.easy, CURLINFO_SCHEME, &scheme);
    if (IsHttpScheme(scheme)) {
        transfer.isRejected = status >= 400;
        transfer.isRanged = transfer.askedRange && status == 206;
    } else {
        // libcurl itself starts an FTP download at the range; gopher gets no range at all.
        transfer.isRanged = transfer.askedRange && IsFtpScheme(scheme);
    }
    transfer.arrivingOffset = transfer.isRanged ? transfer.keepFrom : 0;
    if (!transfer.isRanged && transfer.limitIfWhole)
        transfer.keepLimit = transfer.limitIfWhole;
}

size_t WriteBody(char* data, size_t size, size_t count, void* context)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const size_t length = size * count;
    if (!transfer.isDecided)
        Decide(transfer);
    if (transfer.isRejected)
        return 0;
    const uint64_t keepEnd = transfer.keepFrom + transfer.keepLimit;
    const uint64_t first = std::max(transfer.arrivingOffset, transfer.keepFrom);
    const uint64_t last = std::min(transfer.arrivingOffset + length, keepEnd);
    if (first < last) {
        const char* from = data + (first - transfer.arrivingOffset);
        transfer.kept.insert(transfer.kept.end(), from, from + (last - first));
    }
    transfer.arrivingOffset += length;
    transfer.moved += length;
    // A ranged answer ends by itself, and keeps its connection; a whole body is cut off.
    if (!transfer.isRanged && transfer.arrivingOffset >= keepEnd) {
        transfer.stoppedOnPurpose = true;
        return 0;
    }
    // A server that sends the whole body where a far range was asked for would move it all.
    if (transfer.moved >= transfer.moveLimit) {
        transfer.isOverLimit = true;
        return 0;
    }
    return length;
}

// "Content-Range: bytes 0-32767/20971520" gives the picture's length; "*" leaves it unknown.
size_t ReadHeader(char* data, size_t size, size_t count, void* context)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const size_t length = size * count;
    const std::string line(data, length);
    if (line.compare(0, 5, "HTTP/") == 0) {
        transfer.contentRangeTotal = UnknownEnd;  // a new answer after a redirect
        return length;
    }
    static const char name[] = "content-range:";
    if (line.size() < sizeof name - 1)
        return length;
    for (size_t i = 0; i + 1 < sizeof name; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i])
            return length;
    }
    const size_t slash = line.find('/');
    if (slash == std::string::npos || slash + 1 >= line.size())
        return length;
    uint64_t total = 0;
    size_t digits = 0;
    for (size_t i = slash + 1; i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 19;
         ++i, ++digits)
        total = total * 10 + static_cast<uint64_t>(line[i] - '0');
    if (digits > 0)
        transfer.contentRangeTotal = total;
    return length;
}

// A transfer that makes no progress for the stall time is given up.
int WatchProgress(void* context, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (received != transfer.lastCount) {
        transfer.lastCount = received;
        transfer.lastProgress = now;
        return 0;
    }
    const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - transfer.lastProgress);
    return idle.count() > transfer.stallMilliseconds ? 1 : 0;
}

// A private store's certificate authority, named as the curl tool takes it: CURL_CA_BUNDLE
// first, then SSL_CERT_FILE; neither set (or empty) leaves libcurl's own bundle. Peers and
// host names are always checked: libcurl's defaults, never turned off here.
const char* CertificateAuthorityFile()
{
    for (const char* name : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return nullptr;
}

}  // namespace

bool ConfigureEasy(CURL* easy, const char* url, const char* agent, long connectMilliseconds)
{
    bool ok = Curl().easySetopt(easy, CURLOPT_URL, url) == CURLE_OK;
    ok = ok && Curl().easySetopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp,gopher") == CURLE_OK;
    // Never on to local files or other protocols: a server decides where a redirect goes.
    ok = ok && Curl().easySetopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp") == CURLE_OK;
    if (const char* authorities = CertificateAuthorityFile())
        ok = ok && Curl().easySetopt(easy, CURLOPT_CAINFO, authorities) == CURLE_OK;
    Curl().easySetopt(easy, CURLOPT_USERAGENT, agent);
    Curl().easySetopt(easy, CURLOPT_NOSIGNAL, 1L);
    Curl().easySetopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    Curl().easySetopt(easy, CURLOPT_MAXREDIRS, MaximumRedirects);
    Curl().easySetopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMilliseconds);
    Curl().easySetopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    Curl().easySetopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
    Curl().easySetopt(easy, CURLOPT_XFERINFOFUNCTION, WatchProgress);
    Curl().easySetopt(easy, CURLOPT_NOPROGRESS, 0L);
    return ok;
}

FetchOutcome Fetch(Transfer& transfer, uint64_t from, uint64_t limit, bool ranged)
{
    transfer.keepFrom = from;
    transfer.keepLimit = limit;
    transfer.askedRange = ranged;
    transfer.lastProgress = std::chrono::steady_clock::now();

    std::string range;
    if (ranged)
        range = std::to_string(from) + "-" + std::to_string(from + limit - 1);
    Curl().easySetopt(transfer.easy, CURLOPT_RANGE, ranged ? range.c_str() : nullptr);
    Curl().easySetopt(transfer.easy, CURLOPT_WRITEDATA, &transfer);
    Curl().easySetopt(transfer.easy, CURLOPT_HEADERDATA, &transfer);
    Curl().easySetopt(transfer.easy, CURLOPT_XFERINFODATA, &transfer);
    Curl().easySetopt(transfer.easy, CURLOPT_TIMEOUT_MS, transfer.transferMilliseconds);
    const CURLcode result = Curl().easyPerform(transfer.easy);

    long status = 0;
    const char* scheme = nullptr;
    Curl().easyGetinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    Curl().easyGetinfo(transfer.easy, CURLINFO_SCHEME, &scheme);
    const bool isHttp = IsHttpScheme(scheme);
    if (isHttp && status >= 400)
        transfer.isRejected = true;
    const bool isComplete = result == CURLE_OK || (result == CURLE_WRITE_ERROR && transfer.stoppedOnPurpose);
    if (transfer.isRejected) {
        transfer.isWorthRetrying = status == 429 || status >= 500;
        curl_off_t retryAfter = 0;
        if (transfer.isWorthRetrying && Curl().easyGetinfo(transfer.easy, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK)
            transfer.retryAfterSeconds = static_cast<long>(std::min<curl_off_t>(std::max<curl_off_t>(retryAfter, 0), 3600));
        return FetchOutcome::Rejected;
    }
    if (transfer.isOverLimit)
        return FetchOutcome::Failed;
    transfer.isWorthRetrying = !isComplete && IsCutOff(result);
    // A connection that broke off still leaves the bytes that arrived before it did.
    if (!isComplete && transfer.kept.empty())
        return FetchOutcome::Failed;
    return FetchOutcome::Kept;
}
