// The tags the interpreter knows: one row per tag with its slot, write rule and text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record/field_type.h"
#include "record/info_slot.h"
#include "exif/tag_formatters.h"
#include "resources/text_ids.h"

enum TagNumber : uint16_t {
    // Tags that IFD0 normally holds.
    TagProcessingSoftware = 0x000B,   // a software name that some cameras write; not an Exif tag
    TagImageDescription = 0x010E,
    TagMake = 0x010F,
    TagModel = 0x0110,
    TagSoftware = 0x0131,
    TagDateTime = 0x0132,
    TagArtist = 0x013B,
    TagCopyright = 0x8298,
    TagExifIfdPointer = 0x8769,
    // Tags of the Exif IFD.
    TagExposureTime = 0x829A,
    TagFNumber = 0x829D,
    TagExposureProgram = 0x8822,
    TagIsoSpeedRatings = 0x8827,
    TagExifVersion = 0x9000,
    TagDateTimeOriginal = 0x9003,
    TagDateTimeDigitized = 0x9004,
    TagCompressedBitsPerPixel = 0x9102,
    TagShutterSpeedValue = 0x9201,
    TagApertureValue = 0x9202,
    TagBrightnessValue = 0x9203,
    TagExposureBiasValue = 0x9204,
    TagMaxApertureValue = 0x9205,
    TagSubjectDistance = 0x9206,
    TagMeteringMode = 0x9207,
    TagLightSource = 0x9208,
    TagFlash = 0x9209,
    TagFocalLength = 0x920A,
    TagMakerNote = 0x927C,
    TagPixelXDimension = 0xA002,
    TagPixelYDimension = 0xA003,
    TagRelatedSoundFile = 0xA004,
    TagExposureIndex = 0xA215,
    TagCustomRendered = 0xA401,
    TagExposureMode = 0xA402,
    TagWhiteBalance = 0xA403,
    TagDigitalZoomRatio = 0xA404,
    TagFocalLengthIn35mmFilm = 0xA405,
    TagSceneCaptureType = 0xA406,
    TagContrast = 0xA408,
    TagSaturation = 0xA409,
    TagSharpness = 0xA40A,
    TagSubjectDistanceRange = 0xA40C,
    // Tags of the Fujifilm maker note.
    TagMakerNoteQuality = 0x1000,
    TagMakerNoteSharpness = 0x1001,
    TagMakerNoteWhiteBalance = 0x1002,
    TagMakerNoteColor = 0x1003,         // the saturation
    TagMakerNoteTone = 0x1004,          // the contrast
    TagMakerNoteFlashMode = 0x1010,
    TagMakerNoteFlashStrength = 0x1011,
    TagMakerNoteMacro = 0x1020,
    TagMakerNoteFocusMode = 0x1021,
    TagMakerNoteSlowSync = 0x1030,
    TagMakerNotePictureMode = 0x1031,
    TagMakerNoteContinuous = 0x1100,    // continuous shooting or auto bracketing
    TagMakerNoteBlurWarning = 0x1300,
    TagMakerNoteFocusWarning = 0x1301,
    TagMakerNoteAEWarning = 0x1302,
};

enum class WriteRule : uint8_t {
    Replace,
    ReplaceIfEmpty,
    ReplaceOnZeroElseIfEmpty,   // a zero (auto) always wins, other values only fill
    Append,
    FillOrAppendWord,           // fill an empty slot, else add a listed value's word after a blank
    RecordExifIfd,              // the two pointer tags only tell the walk where to go next
    RecordMakerNote,
};

// The rows of the two pointer tags write no slot.
constexpr InfoSlot NoSlot = static_cast<InfoSlot>(-1);

struct Remap {
    uint32_t from;
    uint32_t to;
};

struct RemapTable {
    const Remap* pairs;
    size_t count;
};

struct ValueList {
    const uint32_t* values;
    size_t count;
};

struct TagRow {
    uint16_t tag;
    InfoSlot slot;
    WriteRule write;
    TagFormatter format;     // nullptr: an enumeration of enumBase..enumBase + enumMax
    TextId enumBase;
    uint16_t enumMax;
    RemapTable remap;        // applied to valueOffset before the write rule
    ValueList appendWords;   // FillOrAppendWord: values whose word is appended; none listed: all
};

// All rows, in the order IFD0, Exif IFD, maker note.
const TagRow* TagRows(size_t* count);

// The row of tag, or nullptr for a tag that the interpreter ignores.
const TagRow* FindTagRow(uint16_t tag);

// The remapped value, or value itself when the table does not list it.
uint32_t Remapped(const RemapTable& table, uint32_t value);

// True when the list holds value; an empty list holds every value.
bool AllowsWord(const ValueList& list, uint32_t value);
