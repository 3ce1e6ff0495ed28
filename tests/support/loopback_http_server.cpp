// The loopback HTTP server of the native remote back end's tests.
#ifndef _WIN32

#include "support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// Every server stops by itself after this long, whatever its test does.
constexpr auto Lifetime = std::chrono::seconds(60);
constexpr int PollMilliseconds = 50;
constexpr size_t MaximumRequest = 16 * 1024;

std::string HeaderValue(const std::string& request, const std::string& name)
{
    size_t at = 0;
    while ((at = request.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (request.size() - at < name.size() + 1)
            break;
        bool matches = true;
        for (size_t i = 0; i < name.size() && matches; ++i)
            matches = tolower(static_cast<unsigned char>(request[at + i])) == tolower(static_cast<unsigned char>(name[i]));
        if (matches && request[at + name.size()] == ':') {
            size_t start = at + name.size() + 1;
            while (start < request.size() && request[start] == ' ')
                ++start;
            return request.substr(start, request.find("\r\n", start) - start);
        }
    }
    return "";
}

// "bytes=A-B" with both ends given, as the back end asks.
bool ParseRange(const std::string& value, uint64_t* first, uint64_t* last)
{
    if (value.compare(0, 6, "bytes=") != 0)
        return false;
    const size_t dash = value.find('-', 6);
    if (dash == std::string::npos || dash == 6 || dash + 1 >= value.size())
        return false;
    *first = std::stoull(value.substr(6, dash - 6));
    *last = std::stoull(value.substr(dash + 1));
    return *first <= *last;
}

}  // namespace

uint8_t LoopbackHttpServer::BodyByte(const std::vector<uint8_t>& prefix, uint64_t offset)
{
    if (offset < prefix.size())
        return prefix[offset];
    uint32_t mixed = static_cast<uint32_t>(offset) * 0x9E3779B1u;
    mixed ^= mixed >> 15;
    return static_cast<uint8_t>(mixed ^ (offset >> 24));
}

uint8_t LoopbackHttpServer::ByteAt(uint64_t offset) const
{
    for (const BodyPiece& piece : options.pieces)
        if (offset >= piece.offset && offset - piece.offset < piece.bytes.size())
            return piece.bytes[offset - piece.offset];
    return BodyByte(options.prefix, offset);
}

LoopbackHttpServer::LoopbackHttpServer(ServerOptions serverOptions)
    : options(std::move(serverOptions)), currentMode(options.mode), deadline(std::chrono::steady_clock::now() + Lifetime)
{
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 128) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0)
            close(listener);
        listener = -1;
        return;
    }
    port = ntohs(address.sin_port);
    acceptor = std::thread([this] { Accept(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stopping = true;
    if (acceptor.joinable())
        acceptor.join();
    for (std::thread& connection : connections)
        connection.join();
    if (listener >= 0)
        close(listener);
}

std::string LoopbackHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

std::vector<std::string> LoopbackHttpServer::RangeHeaders() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return rangeHeaders;
}

std::string LoopbackHttpServer::LastUserAgent() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return lastUserAgent;
}

void LoopbackHttpServer::SwitchTo(ServeMode mode)
{
    std::lock_guard<std::mutex> lock(mutex);
    currentMode = mode;
    triedRequests.clear();
}

bool LoopbackHttpServer::ShouldStop() const { return stopping || std::chrono::steady_clock::now() > deadline; }

void LoopbackHttpServer::Accept()
{
    // A bounded number of connections per test; each gets a thread that the destructor joins.
    while (!ShouldStop() && connections.size() < 512) {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, PollMilliseconds) <= 0)
            continue;
        const int connection = accept(listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        // The head and the body go in separate sends: without this, the body waits for the
        // client's delayed acknowledgement of the head.
        const int noDelay = 1;
        setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        ++connectionCount;
        connections.emplace_back([this, connection] { Serve(connection); });
    }
}

void LoopbackHttpServer::Serve(int connection)
{
    std::string pending;
    char buffer[4096];
    int number = 0;
    while (!ShouldStop()) {
        const size_t headerEnd = pending.find("\r\n\r\n");
        if (headerEnd != std::string::npos) {
            const std::string request = pending.substr(0, headerEnd + 4);
            pending.erase(0, headerEnd + 4);
            if (!Answer(connection, request, number++))
                break;
            continue;
        }
        pollfd waiting{connection, POLLIN, 0};
        if (poll(&waiting, 1, PollMilliseconds) <= 0)
            continue;
        const ssize_t received = recv(connection, buffer, sizeof buffer, 0);
        if (received <= 0 || pending.size() > MaximumRequest)
            break;
        pending.append(buffer, static_cast<size_t>(received));
    }
    close(connection);
}

// Answers one request; false when the connection is to be closed.
bool LoopbackHttpServer::Answer(int connection, const std::string& request, int number)
{
    ++requestCount;
    const std::string range = HeaderValue(request, "Range");
    ServeMode mode = currentMode;
    size_t firstTries = 0;  // with FirstTryFails: which first try this is, from 1; 0 when tried before
    {
        std::lock_guard<std::mutex> lock(mutex);
        rangeHeaders.push_back(range);
        lastUserAgent = HeaderValue(request, "User-Agent");
        if (mode == ServeMode::FirstTryFails && triedRequests.insert(request.substr(0, request.find("\r\n")) + range).second)
            firstTries = triedRequests.size();
    }
    if (mode == ServeMode::StallAfterFirst)
        mode = requestCount == 1 && number == 0 ? ServeMode::Ranges : ServeMode::Stall;
    if (mode == ServeMode::WholeAfterFirst)
        mode = requestCount == 1 ? ServeMode::Ranges : ServeMode::WholeBody;
    if (mode == ServeMode::FirstTryFails && firstTries == 0)
        mode = ServeMode::Ranges;

    const uint64_t size = options.bodySize;
    std::string head;
    switch (mode) {
    case ServeMode::Status: {
        const std::string text = "status " + std::to_string(options.status);
        head = "HTTP/1.1 " + std::to_string(options.status) + " Answer\r\nContent-Length: " +
               std::to_string(text.size()) + "\r\n\r\n" + text;
        return SendAll(connection, head.data(), head.size(), false);
    }
    case ServeMode::Stall:
        WaitUntilClosed(connection);
        return false;
    case ServeMode::FirstTryFails: {
        static const int statuses[] = {429, 500, 503};
        if (firstTries % 5 < 3) {
            head = "HTTP/1.1 " + std::to_string(statuses[firstTries % 5]) + " Busy\r\nContent-Length: 4\r\n\r\nbusy";
            return SendAll(connection, head.data(), head.size(), false);
        }
        uint64_t first = 0, last = 0;
        if (firstTries % 5 == 4 && ParseRange(range, &first, &last) && first < size) {
            last = std::min(last, size - 1);
            head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) + "-" +
                   std::to_string(last) + "/" + std::to_string(size) +
                   "\r\nContent-Length: " + std::to_string(last - first + 1) + "\r\n\r\n";
            if (SendAll(connection, head.data(), head.size(), false))
                SendBody(connection, first, (last - first + 1) / 2);
        }
        return false;
    }
    case ServeMode::Trickle:
        head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        if (!SendAll(connection, head.data(), head.size(), false))
            return false;
        for (uint64_t at = 0; at < size && !ShouldStop(); ++at) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!SendBody(connection, at, 1))
                break;
        }
        return false;
    case ServeMode::CloseEarly:
        head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        if (SendAll(connection, head.data(), head.size(), false))
            SendBody(connection, 0, std::min(size, options.closeAfter));
        return false;
    case ServeMode::Ranges: {
        uint64_t first = 0, last = 0;
        if (ParseRange(range, &first, &last)) {
            if (first >= size) {
                head = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(size) +
                       "\r\nContent-Length: 0\r\n\r\n";
                return SendAll(connection, head.data(), head.size(), false);
            }
            last = std::min(last, size - 1);
            head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(first) + "-" +
                   std::to_string(last) + "/" + std::to_string(size) +
                   "\r\nContent-Length: " + std::to_string(last - first + 1) + "\r\n\r\n";
            return SendAll(connection, head.data(), head.size(), false) && SendBody(connection, first, last - first + 1);
        }
        break;
    }
    case ServeMode::WholeBody:
    case ServeMode::StallAfterFirst:
    case ServeMode::WholeAfterFirst:
        break;
    }
    head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    return SendAll(connection, head.data(), head.size(), false) && SendBody(connection, 0, size);
}

bool LoopbackHttpServer::SendBody(int connection, uint64_t from, uint64_t length)
{
    char chunk[64 * 1024];
    for (uint64_t done = 0; done < length;) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(sizeof chunk, length - done));
        for (size_t i = 0; i < piece; ++i)
            chunk[i] = static_cast<char>(ByteAt(from + done + i));
        if (!SendAll(connection, chunk, piece, true))
            return false;
        done += piece;
    }
    return true;
}

bool LoopbackHttpServer::SendAll(int connection, const char* data, size_t length, bool isBody)
{
    while (length > 0) {
        if (ShouldStop())
            return false;
        pollfd waiting{connection, POLLOUT, 0};
        if (poll(&waiting, 1, PollMilliseconds) <= 0)
            continue;
        // Counted before the call: the client may have the bytes before send returns.
        if (isBody)
            bodyBytesSent += length;
        // A client that has what it wants closes; no SIGPIPE for that.
        const ssize_t sent = send(connection, data, length, MSG_NOSIGNAL);
        if (isBody)
            bodyBytesSent -= length - static_cast<size_t>(std::max<ssize_t>(sent, 0));
        if (sent <= 0)
            return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

void LoopbackHttpServer::WaitUntilClosed(int connection)
{
    char buffer[256];
    while (!ShouldStop()) {
        pollfd waiting{connection, POLLIN, 0};
        if (poll(&waiting, 1, PollMilliseconds) > 0 && recv(connection, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

uint16_t UnusedLoopbackPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (probe >= 0 && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (probe >= 0)
        close(probe);
    return port;
}

#endif
