// The narrow stream that the container finders read through: read, move, tell. It knows
// nothing of the record's slots or of a back end; the record's stream is one source of it, and
// a test's bytes in memory are another.
#pragma once

#include <cstdint>

#include "record/platform.h"

class ImageStream {
public:
    // Any source with these three operations. A table of calls rather than virtual functions:
    // a pure virtual function would bring the C++ runtime's terminate handler, and the
    // exception machinery behind it, into the module.
    template <typename Source>
    explicit ImageStream(Source& from)
        : source(&from),
          read([](void* self, void* destination, uint32_t size, uint32_t* delivered) {
              return static_cast<Source*>(self)->Read(destination, size, delivered);
          }),
          seek([](void* self, int32_t distance, SeekOrigin origin) {
              return static_cast<Source*>(self)->Seek(distance, origin);
          }),
          tell([](void* self) { return static_cast<Source*>(self)->Tell(); })
    {
    }

    // Up to size (at least 1) bytes at the position, which moves past what arrived; true when
    // any arrived. Bytes that did not arrive keep their old value.
    bool Read(void* destination, uint32_t size, uint32_t* delivered) { return read(source, destination, size, delivered); }
    // True when the new position is valid; a failed move leaves the position where it was.
    bool Seek(int32_t distance, SeekOrigin origin) { return seek(source, distance, origin); }
    uint32_t Tell() { return tell(source); }

private:
    void* source;
    bool (*read)(void* self, void* destination, uint32_t size, uint32_t* delivered);
    bool (*seek)(void* self, int32_t distance, SeekOrigin origin);
    uint32_t (*tell)(void* self);
};
