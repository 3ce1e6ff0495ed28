// One libcurl request for a stretch of a picture: what to ask, and what the answer turned out to be.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "backends/curl_loader.h"

constexpr uint64_t UnknownEnd = UINT64_MAX;

struct Transfer {
    CURL* easy = nullptr;
    long stallMilliseconds = 0;
    long transferMilliseconds = 0;  // the longest the whole request may take; 0: no limit
    uint64_t keepFrom = 0;
    uint64_t keepLimit = 0;
    bool askedRange = false;
    uint64_t limitIfWhole = 0;  // when not 0: keep this much if the answer is the whole body
    uint64_t moveLimit = UINT64_MAX;  // the body bytes this request may take off the network
    std::vector<uint8_t> kept;
    uint64_t moved = 0;          // body bytes that arrived, kept or not
    bool isOverLimit = false;    // stopped at moveLimit before the wanted bytes were all there

    bool isDecided = false;
    bool isRanged = false;       // the data arriving starts at keepFrom, not at 0
    bool isRejected = false;     // an HTTP status of 400 or more
    bool isWorthRetrying = false;  // turned away by a busy or failing server, or cut off
    long retryAfterSeconds = 0;    // the server's Retry-After, when it sent one
    bool stoppedOnPurpose = false;
    uint64_t arrivingOffset = 0;  // picture offset of the next byte that arrives
    uint64_t contentRangeTotal = UnknownEnd;

    curl_off_t lastCount = -1;
    std::chrono::steady_clock::time_point lastProgress;
};

enum class FetchOutcome { Kept, Rejected, Failed };

// Sets up an easy handle for url once: protocols, redirects, agent, waits and the callbacks
// that Fetch's transfers feed. False when libcurl refuses the URL or the protocol lists.
bool ConfigureEasy(CURL* easy, const char* url, const char* agent, long connectMilliseconds);

// Runs one request on transfer.easy for the bytes [from, from + limit); a range is asked for
// when ranged. Kept also covers a connection that broke off after some bytes arrived; a
// request stopped at its move limit has Failed.
FetchOutcome Fetch(Transfer& transfer, uint64_t from, uint64_t limit, bool ranged);
