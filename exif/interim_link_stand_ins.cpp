// Link stand-ins for the reader and the POSIX file back end until the real ones are merged.
// They only report that nothing could be read; nothing here is meant to stay.
#include "exif/native_backends.h"
#include "exif/view_record.h"

namespace {

Handle FailOpen(const char*) { return InvalidHandle(); }
bool FailRead(Handle, void*, uint32_t, uint32_t* delivered)
{
    if (delivered)
        *delivered = 0;
    return false;
}
uint32_t FailMove(Handle, int32_t, SeekOrigin) { return InvalidPosition; }
void IgnoreClose(Handle) {}

}  // namespace

const FileCalls& PosixFileCalls()
{
    static const FileCalls calls = {FailOpen, FailRead, FailMove, IgnoreClose};
    return calls;
}

void ViewRecord::ReportMessage(TextId id)
{
    LoadText(id, scratch);
    platform->setErrorInfo(scratch);
}

bool ViewRecord::ClassifyAddress(char*)
{
    ReportMessage(MessageBadAddress);
    return false;
}

bool ViewRecord::ReadExif(const char*)
{
    ReportMessage(MessageCannotRead);
    return false;
}
