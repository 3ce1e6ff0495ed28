// Bounded retries with backoff for the libcurl back end.
#include "backends/curl_retry.h"

#include <algorithm>
#include <random>
#include <thread>

std::chrono::milliseconds RetryWait(const CurlTimeouts& waits, uint32_t attempt, long retryAfterSeconds,
                                    uint32_t draw)
{
    const uint64_t longest = waits.longestRetryMilliseconds;
    const uint32_t doublings = std::min<uint32_t>(attempt > 0 ? attempt - 1 : 0, 32);
    uint64_t wait = std::min<uint64_t>(uint64_t{waits.firstRetryMilliseconds} << doublings, longest);
    wait = std::max<uint64_t>(wait, std::min<uint64_t>(uint64_t(std::max(retryAfterSeconds, 0L)) * 1000, longest));
    const uint64_t half = wait / 2;
    return std::chrono::milliseconds(wait - half + (half ? draw % (half + 1) : 0));
}

FetchOutcome FetchPatiently(Transfer& transfer, uint64_t from, uint64_t limit, bool ranged,
                            const CurlTimeouts& waits)
{
    thread_local std::minstd_rand draws(static_cast<uint32_t>(
        std::hash<std::thread::id>()(std::this_thread::get_id()) ^
        static_cast<size_t>(std::chrono::steady_clock::now().time_since_epoch().count())));
    const Transfer asked = transfer;
    FetchOutcome result = FetchOutcome::Failed;
    uint64_t moved = 0;
    for (uint32_t attempt = 1;; ++attempt) {
        Transfer trial = asked;
        trial.moveLimit = asked.moveLimit - moved;
        const FetchOutcome outcome = Fetch(trial, from, limit, ranged);
        moved += trial.moved;
        const bool isWorthRetrying = trial.isWorthRetrying;
        const long retryAfterSeconds = trial.retryAfterSeconds;
        // A later try that kept less (cut off sooner, or stopped at the bound) leaves the earlier one's bytes.
        if (attempt == 1 || (outcome == FetchOutcome::Kept &&
                             (result != FetchOutcome::Kept || trial.kept.size() > transfer.kept.size()))) {
            transfer = std::move(trial);
            result = outcome;
        }
        if (!isWorthRetrying || attempt >= waits.attempts || moved >= asked.moveLimit) {
            transfer.moved = moved;
            return result;
        }
        std::this_thread::sleep_for(RetryWait(waits, attempt, retryAfterSeconds, static_cast<uint32_t>(draws())));
    }
}
