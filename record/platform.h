// The calls the reader makes into its platform: one table per build, handed to each record.
#pragma once

#include <cstdint>

#include "resources/text_ids.h"

// Win32 and WinINet handles are pointers; the native back ends use the same shape.
using Handle = void*;
inline Handle InvalidHandle() { return reinterpret_cast<Handle>(~uintptr_t{0}); }

constexpr uint32_t InvalidPosition = 0xFFFFFFFF;     // what a failed move returns
constexpr uint32_t InternetFlagOffline = 0x01000000;

enum SeekOrigin : uint32_t { FromBeginning = 0, FromCurrent = 1 };

// Win32 file semantics: open gives InvalidHandle() on failure; a read delivers 0 to size
// bytes and leaves the rest of the destination alone; a move returns the new position or
// InvalidPosition, and a failed move leaves the position where it was.
struct FileCalls {
    Handle (*open)(const char* path);
    bool (*read)(Handle file, void* destination, uint32_t size, uint32_t* delivered);
    uint32_t (*move)(Handle file, int32_t distance, SeekOrigin origin);
    void (*close)(Handle file);
};

// WinINet semantics: a null handle means failure.
struct InternetCalls {
    Handle (*openSession)(const char* agent, uint32_t flags);
    Handle (*openUrl)(Handle session, const char* url);
    bool (*read)(Handle url, void* destination, uint32_t size, uint32_t* delivered);
    uint32_t (*move)(Handle url, int32_t distance, SeekOrigin origin);
    void (*close)(Handle handle);
};

struct Platform {
    FileCalls file;
    InternetCalls internet;
    // LoadStringA semantics: the text in code page 936, cut to size - 1 bytes and terminated;
    // returns the byte count, 0 for an unknown id (buffer then holds an empty text).
    int (*loadText)(Handle module, TextId id, char* buffer, int size);
    // Makes an 8-bit (code page 936) text the thread's error description, with IView's id.
    void (*setErrorInfo)(const char* text);
};
