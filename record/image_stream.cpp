// The image stream: one platform call per operation, on the back end that isRemote names.
#include <cstdint>

#include "record/signed_distance.h"
#include "record/view_record.h"

bool ViewRecord::Open(const char* address)
{
    if (!isRemote) {
        hFile = platform->file.open(address);
        // A back end that answers null has not opened anything either; Close skips null too.
        return hFile != InvalidHandle() && hFile != nullptr;
    }
    LoadText(TextProductName, scratch);  // the agent name
    hSession = platform->internet.openSession(scratch, InternetFlagOffline);
    if (!hSession)  // only when the cache-only session can't be made at all
        hSession = platform->internet.openSession(scratch, 0);
    if (!hSession)
        return false;
    // No online retry: a picture missing from the cache ends the walk with its own message.
    hUrl = platform->internet.openUrl(hSession, address);
    return hUrl != nullptr;
}

// Short read: undelivered bytes of the destination keep their old value.
bool ViewRecord::Read(void* destination, uint32_t size, uint32_t* delivered)
{
    uint32_t count = 0;
    if (isRemote)
        platform->internet.read(hUrl, destination, size, &count);
    else
        platform->file.read(hFile, destination, size, &count);
    if (delivered)
        *delivered = count;
    return count != 0;  // the platform's own success value says nothing about the data
}

bool ViewRecord::ReadWord(void* destination, uint32_t size, uint32_t* delivered)
{
    return Read(destination, size ? size : 2, delivered);
}

bool ViewRecord::ReadDword(void* destination, uint32_t size, uint32_t* delivered)
{
    return Read(destination, size ? size : 4, delivered);
}

bool ViewRecord::ReadBytes(void* destination, uint32_t size, uint32_t* delivered)
{
    return Read(destination, size ? size : 1, delivered);
}

bool ViewRecord::Seek(int32_t distance, SeekOrigin origin)
{
    uint32_t position = isRemote ? platform->internet.move(hUrl, distance, origin)
                                 : platform->file.move(hFile, distance, origin);
    // InvalidPosition is -1 here, and every position from 2 GiB on counts as a failure.
    return AsSignedDistance(position) >= 0;
}

uint32_t ViewRecord::Tell()
{
    return isRemote ? platform->internet.move(hUrl, 0, FromCurrent) : platform->file.move(hFile, 0, FromCurrent);
}

void ViewRecord::Close()
{
    if (isRemote) {
        // The URL handle belongs to the session, so it goes first.
        if (hUrl) {
            platform->internet.close(hUrl);
            hUrl = nullptr;
        }
        if (hSession) {
            platform->internet.close(hSession);
            hSession = nullptr;
        }
        return;
    }
    // After a failed open hFile holds the invalid value: nothing to release, and it stays.
    if (hFile && hFile != InvalidHandle()) {
        platform->file.close(hFile);
        hFile = nullptr;
    }
}
