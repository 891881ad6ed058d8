#pragma once

#include <array>

// The editor's shortcut actions and the file they persist in. The names are the keys of the
// editor's binding map, of "shortcuts.xml" and the rows of the settings panel's shortcuts page,
// so they are a stored format: never rename one.
namespace ShortcutActions
{
inline constexpr const char* playStop = "Play / Stop";
inline constexpr const char* recordArm = "Record Arm";
inline constexpr const char* rewind = "Rewind";
inline constexpr const char* fastForward = "Fast Forward";
inline constexpr const char* saveReel = "Save Reel";
inline constexpr const char* saveState2 = "Save State 2";
inline constexpr const char* saveState3 = "Save State 3";
inline constexpr const char* loadAutoSave = "Load Auto-Save (Slot 1)";
inline constexpr const char* loadState2 = "Load State 2";
inline constexpr const char* loadState3 = "Load State 3";
inline constexpr const char* directMonitor = "Direct Monitor";
inline constexpr const char* enableClick = "Enable Click";
inline constexpr const char* showWaveforms = "Show Waveforms";
inline constexpr const char* pageTracks = "Page Tracks";
inline constexpr const char* musicalKeyboard = "Musical Keyboard";

/** Every action, in the order the shortcuts page lists them. */
inline constexpr std::array<const char*, 15> all{
    playStop,   recordArm,  rewind,        fastForward, saveReel,      saveState2, saveState3,     loadAutoSave,
    loadState2, loadState3, directMonitor, enableClick, showWaveforms, pageTracks, musicalKeyboard};

// "shortcuts.xml" in the per-user folder.
inline constexpr const char* fileName = "shortcuts.xml";
inline constexpr const char* rootTag = "SHORTCUTS";
inline constexpr const char* bindingTag = "BINDING";
inline constexpr const char* actionAttribute = "action";
inline constexpr const char* codeAttribute = "code";
inline constexpr const char* modsAttribute = "mods";

/** The modifier flags a binding keeps: 1 Shift, 2 Ctrl, 4 Alt. */
inline constexpr int storedModifiers = 1 | 2 | 4;
} // namespace ShortcutActions
