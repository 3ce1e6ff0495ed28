// A bounded HTTP server on 127.0.0.1 for the WinINet tests: serves one body to every GET,
// counts the requests, and stops by itself after a few seconds without a connection.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(std::vector<unsigned char> body) : body_(std::move(body))
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return;
        started_ = true;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (listener_ == INVALID_SOCKET)
            return;
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;  // any free port
        int length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            listen(listener_, 4) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~LoopbackHttpServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (listener_ != INVALID_SOCKET)
            closesocket(listener_);
        if (started_)
            WSACleanup();
    }

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool IsListening() const { return port_ != 0; }
    int Requests() const { return requests_; }
    std::string Url(const char* path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    static constexpr int PollMilliseconds = 100;
    static constexpr int IdleLimitMilliseconds = 10000;

    void Serve()
    {
        for (int idle = 0; !stop_ && idle < IdleLimitMilliseconds; idle += PollMilliseconds) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(listener_, &readable);
            timeval wait = {0, PollMilliseconds * 1000};
            if (select(0, &readable, nullptr, nullptr, &wait) != 1)
                continue;
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                continue;
            Answer(client);
            closesocket(client);
            idle = 0;
        }
    }

    // Reads the request head (bounded), then answers with the whole body.
    void Answer(SOCKET client)
    {
        DWORD timeout = 2000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        std::string head;
        char chunk[512];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
            int got = recv(client, chunk, sizeof chunk, 0);
            if (got <= 0)
                return;
            head.append(chunk, static_cast<size_t>(got));
        }
        ++requests_;
        std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                            std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n";
        reply.append(body_.begin(), body_.end());
        for (size_t sent = 0; sent < reply.size();) {
            int put = send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
            if (put <= 0)
                return;
            sent += static_cast<size_t>(put);
        }
        shutdown(client, SD_SEND);
    }

    std::vector<unsigned char> body_;
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
};
