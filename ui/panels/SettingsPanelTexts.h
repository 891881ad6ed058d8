#pragma once

// Texts and colours of the settings panel and its pages. Code and tests both use these.
namespace SettingsPanelTexts
{
// Tabs, in their order.
inline constexpr const char* audioTab = "AUDIO / MIDI";
inline constexpr const char* clickTab = "METRONOME";
inline constexpr const char* systemTab = "SYSTEM";
inline constexpr const char* shortcutsTab = "SHORTCUTS";
inline constexpr const char* closeButton = "CLOSE SETTINGS";

// Audio page.
inline constexpr const char* statusHeader = "CURRENT DEVICE STATUS";
inline constexpr const char* statusChecking = "Checking device...";
inline constexpr const char* noDevice = "No Audio Device Open.";
inline constexpr const char* noDeviceName = "None";
inline constexpr const char* configureButton = "CONFIGURE AUDIO DEVICE";
inline constexpr const char* rateWarning =
    "WARNING: Changing Sample Rate will CLOSE the current reel.\nSave your work before changing settings!";

// Metronome page.
inline constexpr const char* bpmLabel = "BPM";
inline constexpr const char* volumeLabel = "VOLUME";
inline constexpr const char* signatureLabel = "SIGNATURE";

// System page.
inline constexpr const char* offsetLabel = "DRIVER ERROR (LATENCY OFFSET)";
inline constexpr const char* autoSaveLabel = "AUTO-SAVE (SLOT 1) INTERVAL";
inline constexpr const char* calibrateButton = "RUN AUTO-CALIBRATION";
inline constexpr const char* libraryButton = "CHANGE LIBRARY FOLDER...";
inline constexpr const char* libraryChooserTitle = "Select New Reels Library Folder";
inline constexpr const char* libraryChangedTitle = "Library Folder Changed";
inline constexpr const char* calibrationTitle = "Loopback Calibration";
inline constexpr const char* calibrationMessage = "Connect Output 1 -> Input 1.\nA loud beep will play to measure latency.";

// Shortcuts page.
inline constexpr const char* shortcutInstructions = "Click a button, then press a key to bind.";
inline constexpr const char* resetDefaults = "Reset Defaults";
inline constexpr const char* pressKey = "Press Key...";
inline constexpr const char* noKey = "None";
} // namespace SettingsPanelTexts
