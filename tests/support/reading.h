// One reader over bytes in memory: the record wired to a MemoryStream, and the texts to expect.
#pragma once

#include <string>

#include "support/memory_stream.h"
#include "record/view_record.h"
#include "support/exif_builder.h"
#include "view/default_platform.h"

struct Reading {
    explicit Reading(const Bytes& data);

    // ReadExif as after a "file:///" address (isRemote 0) or a remote one (isRemote 1).
    bool ReadLocal(const char* path = "pictures\\a.jpg");
    bool ReadRemote(const char* url = "http://example.test/a.jpg");

    // Opens the local stream by itself, for tests of single stream operations or entries.
    bool OpenLocal();

    Bytes bytes;
    MemoryStream stream;
    ViewRecord view{nullptr, DefaultPlatform()};
};

// The text of a message as the build's string table gives it (code page 936).
std::string MessageText(TextId id);

// The thread's error description, or "<none>"; the GUID must be IView's, else "<wrong guid>".
std::string ThreadErrorText();

// Fills outputs before a call, to prove which bytes the call left alone.
constexpr uint8_t Poison = 0xA5;
