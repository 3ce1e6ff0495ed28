// The libcurl calls of the remote back end, with libcurl loaded at the first of them.
//
// Linked directly, libcurl and the thirty libraries behind it (TLS, Kerberos, LDAP, ...) are
// loaded and relocated at every start of the program, which cost more than reading a whole
// photograph; a run that reads only local files now never loads them.
#include "backends/curl_loader.h"

#include <dlfcn.h>

namespace {

constexpr const char* LibraryName = "libcurl.so.4";   // the ABI the headers describe

CURLcode FailGlobalInit(long) { return CURLE_FAILED_INIT; }
CURL* FailEasyInit() { return nullptr; }
CURLcode FailSetopt(CURL*, CURLoption, ...) { return CURLE_FAILED_INIT; }
CURLcode FailGetinfo(CURL*, CURLINFO, ...) { return CURLE_FAILED_INIT; }
CURLcode FailPerform(CURL*) { return CURLE_FAILED_INIT; }
void IgnoreCleanup(CURL*) {}

constexpr CurlLibrary Unavailable = {false,       FailGlobalInit, FailEasyInit,  FailSetopt,
                                     FailGetinfo, FailPerform,    IgnoreCleanup, IgnoreCleanup};

template <typename Call>
bool Find(void* library, const char* name, Call& call)
{
    call = reinterpret_cast<Call>(dlsym(library, name));
    return call != nullptr;
}

CurlLibrary Load()
{
    void* library = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return Unavailable;
    CurlLibrary curl{};
    curl.isLoaded = Find(library, "curl_global_init", curl.globalInit) &&
                    Find(library, "curl_easy_init", curl.easyInit) &&
                    Find(library, "curl_easy_setopt", curl.easySetopt) &&
                    Find(library, "curl_easy_getinfo", curl.easyGetinfo) &&
                    Find(library, "curl_easy_perform", curl.easyPerform) &&
                    Find(library, "curl_easy_cleanup", curl.easyCleanup) &&
                    Find(library, "curl_easy_reset", curl.easyReset);
    return curl.isLoaded ? curl : Unavailable;   // the library stays loaded for the process
}

}  // namespace

const CurlLibrary& Curl()
{
    static const CurlLibrary curl = Load();
    return curl;
}
