// The libcurl calls of the remote back end, with libcurl loaded at the first of them.
//
// Linked directly, libcurl and the thirty libraries behind it (TLS, Kerberos, LDAP, ...) are
// loaded and relocated at every start of the program, which cost more than reading a whole
// photograph; a run that reads only local files now never loads them. When libcurl can't be
// loaded, the calls fail as libcurl does when it can't start, and remote addresses can't be
// opened.
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>

namespace {

constexpr const char* LibraryName = "libcurl.so.4";   // the ABI the headers describe

struct CurlLibrary {
    bool isLoaded;
    CURLcode (*globalInit)(long);
    CURL* (*easyInit)();
    CURLcode (*easySetopt)(CURL*, CURLoption, ...);
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...);
    CURLcode (*easyPerform)(CURL*);
    void (*easyCleanup)(CURL*);
};

template <typename Call>
bool Find(void* library, const char* name, Call& call)
{
    call = reinterpret_cast<Call>(dlsym(library, name));
    return call != nullptr;
}

CurlLibrary LoadLibrary()
{
    CurlLibrary curl{};
    void* library = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return curl;
    curl.isLoaded = Find(library, "curl_global_init", curl.globalInit) &&
                    Find(library, "curl_easy_init", curl.easyInit) &&
                    Find(library, "curl_easy_setopt", curl.easySetopt) &&
                    Find(library, "curl_easy_getinfo", curl.easyGetinfo) &&
                    Find(library, "curl_easy_perform", curl.easyPerform) &&
                    Find(library, "curl_easy_cleanup", curl.easyCleanup);
    return curl;   // the library stays loaded for the life of the process
}

// Loaded once, by whichever thread comes first.
const CurlLibrary& Curl()
{
    static const CurlLibrary curl = LoadLibrary();
    return curl;
}

}  // namespace

extern "C" {

CURLcode curl_global_init(long flags)
{
    return Curl().isLoaded ? Curl().globalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init()
{
    return Curl().isLoaded ? Curl().easyInit() : nullptr;
}

// An option's number says the type of its one argument, as libcurl itself reads it.
CURLcode curl_easy_setopt(CURL* easy, CURLoption option, ...)
{
    if (!Curl().isLoaded)
        return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        result = Curl().easySetopt(easy, option, va_arg(arguments, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT)
        result = Curl().easySetopt(easy, option, va_arg(arguments, void*));
    else if (option < CURLOPTTYPE_OFF_T)
        result = Curl().easySetopt(easy, option, va_arg(arguments, void (*)()));
    else if (option < CURLOPTTYPE_BLOB)
        result = Curl().easySetopt(easy, option, va_arg(arguments, curl_off_t));
    else
        result = Curl().easySetopt(easy, option, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}

// Every kind of information is returned through a pointer.
CURLcode curl_easy_getinfo(CURL* easy, CURLINFO info, ...)
{
    if (!Curl().isLoaded)
        return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, info);
    CURLcode result = Curl().easyGetinfo(easy, info, va_arg(arguments, void*));
    va_end(arguments);
    return result;
}

CURLcode curl_easy_perform(CURL* easy)
{
    return Curl().isLoaded ? Curl().easyPerform(easy) : CURLE_FAILED_INIT;
}

void curl_easy_cleanup(CURL* easy)
{
    if (Curl().isLoaded)
        Curl().easyCleanup(easy);
}

}  // extern "C"
