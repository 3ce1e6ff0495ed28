// The 57 rows of the tag interpreter: what each known tag writes, and how.
#include "exif/tag_table.h"

#include <algorithm>
#include <iterator>

namespace {

// Indices into the texts of the groups that the camera values are mapped onto.
enum ProgramIndex : uint32_t {   // exposure programs and scene modes
    ProgramManual = 1,
    ProgramNormal = 2,
    ProgramAperturePriority = 3,
    ProgramShutterPriority = 4,
    ProgramPortrait = 7,
    ProgramLandscape = 8,
    ProgramStandard = 9,
    ProgramNight = 10,
    ProgramSports = 11,
    ProgramAutomatic = 12,
    ProgramAutoBracketing = 13,
};
enum LightIndex : uint32_t {
    LightDaylight = 1,
    LightTungsten = 3,
    LightCloudy = 10,
    LightDaylightFluorescent = 12,
    LightDayWhiteFluorescent = 13,
    LightCoolWhiteFluorescent = 14,
    LightCustom = 25,
    LightAutomatic = 26,
};
enum LevelIndex : uint32_t { LevelNormal = 0, LevelLow = 1, LevelHigh = 2 };       // also soft, hard
enum FlashIndex : uint32_t { FlashOff = 0, FlashAutomatic = 3, FlashRedEye = 5 };

constexpr Remap ExposureModeRemap[] = {{0, ProgramNormal}, {2, ProgramAutoBracketing}};
constexpr Remap SceneCaptureRemap[] = {
    {0, ProgramStandard}, {1, ProgramLandscape}, {2, ProgramPortrait}, {3, ProgramNight}};
constexpr Remap NoteSharpnessRemap[] = {
    {1, LevelLow}, {2, LevelLow}, {3, LevelNormal}, {4, LevelHigh}, {5, LevelHigh}};
constexpr Remap NoteWhiteBalanceRemap[] = {
    {0, LightAutomatic},
    {256, LightDaylight},
    {512, LightCloudy},
    {768, LightDaylightFluorescent},
    {769, LightDayWhiteFluorescent},
    {770, LightCoolWhiteFluorescent},
    {1024, LightTungsten},
    {3840, LightCustom},
};
constexpr Remap NoteLevelRemap[] = {{256, LevelHigh}, {512, LevelLow}};   // colour and tone
constexpr Remap NoteFlashModeRemap[] = {{0, FlashAutomatic}, {2, FlashOff}, {3, FlashRedEye}};
constexpr Remap NotePictureModeRemap[] = {
    {0, ProgramNormal},
    {1, ProgramPortrait},
    {2, ProgramLandscape},
    {4, ProgramSports},
    {5, ProgramNight},
    {6, ProgramAutomatic},
    {256, ProgramAperturePriority},
    {512, ProgramShutterPriority},
    {768, ProgramManual},
};

// Words that exposure mode and scene type add to a slot that already holds a program.
constexpr uint32_t ExposureModeWords[] = {ProgramAutoBracketing};
constexpr uint32_t SceneCaptureWords[] = {ProgramPortrait, ProgramLandscape, ProgramNight};

template <size_t N>
constexpr RemapTable Remaps(const Remap (&pairs)[N])
{
    return {pairs, N};
}

template <size_t N>
constexpr ValueList Words(const uint32_t (&values)[N])
{
    return {values, N};
}

constexpr RemapTable NoRemap = {nullptr, 0};
constexpr ValueList AnyWord = {nullptr, 0};

constexpr WriteRule Replace = WriteRule::Replace;
constexpr WriteRule ReplaceIfEmpty = WriteRule::ReplaceIfEmpty;

constexpr TagRow Text(uint16_t tag, InfoSlot slot, WriteRule write, TagFormatter format)
{
    return {tag, slot, write, format, 0, 0, NoRemap, AnyWord};
}

constexpr TagRow Enumeration(uint16_t tag, InfoSlot slot, WriteRule write, TextId base, uint16_t max,
                             RemapTable remap = NoRemap, ValueList words = AnyWord)
{
    return {tag, slot, write, nullptr, base, max, remap, words};
}

constexpr TagRow Pointer(uint16_t tag, WriteRule write)
{
    return {tag, NoSlot, write, nullptr, 0, 0, NoRemap, AnyWord};
}

const TagRow Rows[] = {
    Text(TagProcessingSoftware, SlotSoftware, ReplaceIfEmpty, FormatCopy),
    Text(TagImageDescription, SlotDescription, Replace, FormatCopy),
    Text(TagMake, SlotMake, Replace, FormatCopy),
    Text(TagModel, SlotModel, Replace, FormatCopy),
    Text(TagSoftware, SlotSoftware, Replace, FormatCopy),
    Text(TagDateTime, SlotModifyTime, Replace, FormatDateCopy),
    Text(TagArtist, SlotArtist, Replace, FormatCopy),
    Text(TagCopyright, SlotCopyright, Replace, FormatCopy),
    Pointer(TagExifIfdPointer, WriteRule::RecordExifIfd),

    Text(TagExposureTime, SlotExposureTime, Replace, FormatExposureTime),
    Text(TagFNumber, SlotAperture, Replace, FormatFNumber),
    Enumeration(TagExposureProgram, SlotExposureMode, Replace, TextExposureProgramBase, 8),
    Text(TagIsoSpeedRatings, SlotIso, Replace, FormatIsoSpeed),
    Text(TagExifVersion, SlotExifVersion, Replace, FormatExifVersion),
    Text(TagDateTimeOriginal, SlotShotTime, Replace, FormatDateCopy),
    Text(TagDateTimeDigitized, SlotShotTime, ReplaceIfEmpty, FormatDateCopy),
    Text(TagCompressedBitsPerPixel, SlotCompression, Replace, FormatBitsPerPixel),
    Text(TagShutterSpeedValue, SlotExposureTime, ReplaceIfEmpty, FormatShutterSpeed),
    Text(TagApertureValue, SlotAperture, ReplaceIfEmpty, FormatApertureValue),
    Text(TagBrightnessValue, SlotBrightness, Replace, FormatBrightness),
    Text(TagExposureBiasValue, SlotExposureBias, Replace, FormatEv),
    Text(TagMaxApertureValue, SlotMaxAperture, Replace, FormatMaxApertureValue),
    Text(TagSubjectDistance, SlotDistance, Replace, FormatPositiveDistance),
    Enumeration(TagMeteringMode, SlotMetering, Replace, TextMeteringBase, 6),
    Enumeration(TagLightSource, SlotWhiteBalance, Replace, TextLightSourceBase, 24),
    Text(TagFlash, SlotFlash, Replace, FormatFlash),
    Text(TagFocalLength, SlotFocalLength, Replace, FormatFocalLength),
    Pointer(TagMakerNote, WriteRule::RecordMakerNote),
    Text(TagPixelXDimension, SlotImageSize, Replace, FormatPixelWidth),
    Text(TagPixelYDimension, SlotImageSize, WriteRule::Append, FormatPixelHeight),
    Text(TagRelatedSoundFile, SlotSoundFile, Replace, FormatCopy),
    Text(TagExposureIndex, SlotIso, ReplaceIfEmpty, FormatExposureIndex),
    Enumeration(TagCustomRendered, SlotMacro, Replace, TextFlashWordBase, 1),
    Enumeration(TagExposureMode, SlotExposureMode, WriteRule::FillOrAppendWord, TextExposureProgramBase,
                13, Remaps(ExposureModeRemap), Words(ExposureModeWords)),
    Enumeration(TagWhiteBalance, SlotWhiteBalance, WriteRule::ReplaceOnZeroElseIfEmpty,
                TextAutoManualBase, 1),
    Text(TagDigitalZoomRatio, SlotDigitalZoom, Replace, FormatDigitalZoom),
    Text(TagFocalLengthIn35mmFilm, SlotFocalLength35, Replace, FormatNonZeroFocalLength35),
    Enumeration(TagSceneCaptureType, SlotExposureMode, WriteRule::FillOrAppendWord,
                TextExposureProgramBase, 10, Remaps(SceneCaptureRemap), Words(SceneCaptureWords)),
    Enumeration(TagContrast, SlotContrast, Replace, TextLevelBase, 2),
    Enumeration(TagSaturation, SlotSaturation, Replace, TextLevelBase, 2),
    Enumeration(TagSharpness, SlotSharpness, Replace, TextSharpnessBase, 2),
    Enumeration(TagSubjectDistanceRange, SlotDistance, WriteRule::FillOrAppendWord,
                TextDistanceRangeBase, 3),

    Text(TagMakerNoteQuality, SlotQuality, Replace, FormatCopy),
    Enumeration(TagMakerNoteSharpness, SlotSharpness, Replace, TextSharpnessBase, 2,
                Remaps(NoteSharpnessRemap)),
    Enumeration(TagMakerNoteWhiteBalance, SlotWhiteBalance, Replace, TextLightSourceBase, 26,
                Remaps(NoteWhiteBalanceRemap)),
    Enumeration(TagMakerNoteColor, SlotSaturation, Replace, TextLevelBase, 2, Remaps(NoteLevelRemap)),
    Enumeration(TagMakerNoteTone, SlotContrast, Replace, TextLevelBase, 2, Remaps(NoteLevelRemap)),
    Enumeration(TagMakerNoteFlashMode, SlotFlash, ReplaceIfEmpty, TextFlashWordBase, 5,
                Remaps(NoteFlashModeRemap)),
    Text(TagMakerNoteFlashStrength, SlotFlashStrength, Replace, FormatEv),
    Enumeration(TagMakerNoteMacro, SlotMacro, Replace, TextFlashWordBase, 1),
    Enumeration(TagMakerNoteFocusMode, SlotFocusMode, Replace, TextAutoManualBase, 1),
    Text(TagMakerNoteSlowSync, SlotFlash, WriteRule::Append, FormatSlowSyncWord),
    Enumeration(TagMakerNotePictureMode, SlotExposureMode, Replace, TextExposureProgramBase, 12,
                Remaps(NotePictureModeRemap)),
    Enumeration(TagMakerNoteContinuous, SlotContinuous, Replace, TextFlashWordBase, 1),
    Enumeration(TagMakerNoteBlurWarning, SlotBlurWarning, Replace, TextBlurWarningBase, 1),
    Enumeration(TagMakerNoteFocusWarning, SlotFocusWarning, Replace, TextFocusWarningBase, 1),
    Enumeration(TagMakerNoteAEWarning, SlotExposureWarning, Replace, TextExposureWarningBase, 1),
};

}  // namespace

const TagRow* TagRows(size_t* count)
{
    *count = std::size(Rows);
    return Rows;
}

const TagRow* FindTagRow(uint16_t tag)
{
    auto found = std::find_if(std::begin(Rows), std::end(Rows),
                              [tag](const TagRow& row) { return row.tag == tag; });
    return found != std::end(Rows) ? found : nullptr;
}

uint32_t Remapped(const RemapTable& table, uint32_t value)
{
    for (size_t i = 0; i < table.count; ++i)
        if (table.pairs[i].from == value)
            return table.pairs[i].to;
    return value;
}

bool AllowsWord(const ValueList& list, uint32_t value)
{
    if (list.count == 0)
        return true;
    return std::find(list.values, list.values + list.count, value) != list.values + list.count;
}
