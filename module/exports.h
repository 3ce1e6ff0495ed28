// The module's exports that no system header declares: each definition includes this, so a
// calling convention lost there is a compile error in the 32-bit build, where it matters.
#pragma once

#include <windows.h>

// rundll32's entry points of the Explorer verb: the rest of its command line, wide or ANSI.
extern "C" void CALLBACK ShowExifW(HWND window, HINSTANCE, LPWSTR commandLine, int);
extern "C" void CALLBACK ShowExif(HWND window, HINSTANCE, LPSTR commandLine, int);

// regsvr32 /i:explorer and /u /i:explorer.
STDAPI DllInstall(BOOL install, PCWSTR commandLine);
