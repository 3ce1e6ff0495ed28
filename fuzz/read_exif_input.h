// How a read_exif_fuzz input is laid out: five control bytes, then the picture. Shared by the
// target and the seed generator, so seeds are plain pictures behind a zero control block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace read_exif_input {

constexpr size_t ControlSize = 5;

// Byte 0, low four bits: the address form; the high bits are ignored.
enum AddressForm : uint8_t {
    LocalPicture,      // "file:///pictures/a%20b.jpg" + filler: always accepted
    LocalFiller,       // "file:///" + filler
    HttpFiller,        // "http://" + filler
    FtpFiller,         // "ftp://" + filler
    GopherFiller,      // "gopher://" + filler
    HttpsFiller,       // "https://" + filler: never a remote prefix
    UpperHttpFiller,   // "HTTP://" + filler
    UpperFileFiller,   // "File:///" + filler
    TwoSlashFiller,    // "file://" + filler: accepted only when the filler starts with '/'
    NullAddress,
    EmptyAddress,
    FillerAlone,
    LongLocal,         // "file:///" + 64 x length filler bytes (up to 16 KiB)
    PictureBytes,      // the picture's first length bytes, as far as a zero byte
    LocalPictureBytes, // "file:///" + the picture's first length bytes
    HttpPictureBytes,  // "http://" + the picture's first length bytes
};

// Byte 1: faults and the record's state before the first reading.
enum ControlBit : uint8_t {
    FailFileOpen = 1 << 0,
    FailOfflineSession = 1 << 1,
    FailPlainSession = 1 << 2,
    FailUrlOpen = 1 << 3,
    ReadTwice = 1 << 4,        // a second ShowDlg-like use of the same record
    StartLocal = 1 << 5,       // isRemote 0 before the address rules run
    PrefillSlots = 1 << 6,     // every slot holds a text of 63 - (length % 64) bytes
    StartBigEndian = 1 << 7,   // isLittleEndian 0 before the walk
};

// Byte 2: the n-th move fails (0: none). Byte 3: the n-th read delivers nothing (0: none).
// Byte 4: the length that the address form uses.

}  // namespace read_exif_input
