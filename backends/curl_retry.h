// Trying a request again when a busy or failing server turned it away, or the connection broke.
#pragma once

#include <chrono>
#include <cstdint>

#include "backends/curl_stream.h"
#include "backends/curl_transfer.h"

// The wait before try number `attempt` + 1: the first wait doubled at each try, at least what
// the server asked for, never longer than the longest; each wait is drawn from its upper half,
// so that many threads turned away at once do not all come back at once.
std::chrono::milliseconds RetryWait(const CurlTimeouts& waits, uint32_t attempt, long retryAfterSeconds,
                                    uint32_t draw);

// Fetch, tried up to waits.attempts times while the answer is worth another try. Every try's
// bytes count against transfer.moveLimit, so no server makes a picture move more than its
// bound; transfer ends as the last try left it, with moved counting every try.
FetchOutcome FetchPatiently(Transfer& transfer, uint64_t from, uint64_t limit, bool ranged,
                            const CurlTimeouts& waits);
