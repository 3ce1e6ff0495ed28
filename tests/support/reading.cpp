// The memory-backed reader of the walk's tests.
#include "support/reading.h"

#include <cstring>

#include "support/thread_error.h"
#include "view/default_platform.h"

Reading::Reading(const Bytes& data) : bytes(data), stream(bytes.data(), bytes.size()), view(nullptr, MemoryStream::platform())
{
}

bool Reading::ReadLocal(const char* path)
{
    view.isRemote = 0;
    return view.ReadExif(path);
}

bool Reading::ReadRemote(const char* url)
{
    view.isRemote = 1;
    return view.ReadExif(url);
}

bool Reading::OpenLocal()
{
    view.isRemote = 0;
    return view.Open("pictures\\a.jpg");
}

std::string MessageText(TextId id)
{
    char text[SlotSize] = {};
    DefaultPlatform().loadText(nullptr, id, text, SlotSize);
    return text;
}

std::string ThreadErrorText()
{
    char description[SlotSize];
    Guid guid{};
    if (!GetThreadErrorInfo(description, &guid))
        return "<none>";
    if (std::memcmp(&guid, &InterfaceIdView, sizeof guid) != 0)
        return "<wrong guid>";
    return std::string(description, strnlen(description, SlotSize));
}
