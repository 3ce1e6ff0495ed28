// Stands in for the mail and web programs under test: appends the address it was handed and
// the show command it was started with to the file that ORVANE_LINK_LOG names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const char* log = getenv("ORVANE_LINK_LOG");
    if (!log || argc < 2)
        return 1;
    STARTUPINFOA startup = {};
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    FILE* file = fopen(log, "ab");
    if (!file)
        return 1;
    fprintf(file, "%s %d\n", argv[1], show);
    fclose(file);
    return 0;
}
