// Ids of the string table: fixed numbers, and the bases that code adds an index to.
#pragma once

#include <cstdint>

using TextId = uint32_t;

constexpr TextId TextProductName = 100;      // also the internet agent name
constexpr TextId TextColumnItem = 101;
constexpr TextId TextColumnInformation = 102;
constexpr TextId TextExplorerVerb = 103;     // the Explorer menu item
constexpr TextId TextSlotLabelBase = 110;    // + InfoSlot
constexpr TextId TextExposureProgramBase = 160;
constexpr TextId TextMeteringBase = 180;
constexpr TextId TextLightSourceBase = 200;
constexpr TextId TextFlashWordBase = 230;    // "off", "on", ... each ends in a blank
constexpr TextId TextFlashForced = 232;
constexpr TextId TextFlashAutomatic = 233;
constexpr TextId TextFlashNone = 234;
constexpr TextId TextFlashRedEye = 235;
constexpr TextId TextFlashSlowSync = 236;
constexpr TextId TextAutoManualBase = 250;
constexpr TextId TextBlurWarningBase = 260;
constexpr TextId TextFocusWarningBase = 262;
constexpr TextId TextExposureWarningBase = 264;
constexpr TextId TextLevelBase = 280;        // normal, low, high
constexpr TextId TextSharpnessBase = 286;
constexpr TextId TextDistanceRangeBase = 290;

// Every reading attempt ends with exactly one of 300 to 305.
constexpr TextId MessageBadAddress = 300;
constexpr TextId MessageCannotRead = 301;
constexpr TextId MessageNotJpeg = 302;
constexpr TextId MessageNoExif = 303;
constexpr TextId MessageBadData = 304;
constexpr TextId MessageOk = 305;
constexpr TextId TextSaveDialogTitle = 306;
// Failures the user is told of: a command that could not do its work, a dialog not shown.
constexpr TextId TextCannotSave = 307;
constexpr TextId TextCannotCopy = 308;
constexpr TextId TextCannotShowDialog = 309;
constexpr TextId TextCannotOpenLink = 310;
