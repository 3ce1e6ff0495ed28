// The 41 display slots of the photo information record.
#pragma once

enum InfoSlot : int {
    SlotDescription,
    SlotMake,
    SlotModel,
    SlotSoftware,
    SlotModifyTime,
    SlotArtist,
    SlotCopyright,
    SlotExifVersion,
    SlotShotTime,
    SlotImageSize,
    SlotColorComponents,
    SlotCompression,
    SlotExposureTime,
    SlotAperture,
    SlotExposureMode,
    SlotIso,
    SlotBrightness,
    SlotExposureBias,
    SlotMaxAperture,
    SlotMetering,
    SlotFlash,
    SlotFlashStrength,
    SlotSlowSync,
    SlotFocalLength,
    SlotFocalLength35,
    SlotDigitalZoom,
    SlotFocusMode,
    SlotDistance,
    SlotSceneMode,
    SlotWhiteBalance,
    SlotContrast,
    SlotSaturation,
    SlotSharpness,
    SlotMacro,
    SlotQuality,
    SlotContinuous,
    SlotBlurWarning,
    SlotFocusWarning,
    SlotExposureWarning,
    SlotSoundFile,
    SlotUserComment,
};

constexpr int SlotCount = 41;
constexpr int SlotSize = 64;   // 63 bytes of text and the terminating zero

using SlotBuffer = char[SlotSize];
