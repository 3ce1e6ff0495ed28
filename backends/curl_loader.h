// libcurl's calls, with the library loaded at the first use rather than at program start.
#pragma once

#include <curl/curl.h>

struct CurlLibrary {
    bool isLoaded;
    CURLcode (*globalInit)(long flags);
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL* easy, CURLoption option, ...);
    CURLcode (*easyGetinfo)(CURL* easy, CURLINFO info, ...);
    CURLcode (*easyPerform)(CURL* easy);
    void (*easyCleanup)(CURL* easy);
    void (*easyReset)(CURL* easy);
};

// Loaded once, by whichever thread comes first. When libcurl can't be loaded, every call fails
// as libcurl does when it can't start (easyInit gives null), so remote addresses can't be opened.
const CurlLibrary& Curl();
