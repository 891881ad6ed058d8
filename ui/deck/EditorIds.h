#pragma once

// Component IDs of the editor's controls and overlays. They double as drawing keys for the looks
// and as MIDI-learn targets, so they are a stored format too: "midi_map.xml" keeps them. Knobs and
// switches bound to a parameter carry the parameter's identifier (ParameterIds.h) instead.
namespace EditorIds
{
// Transport keys, drawn by the look-and-feel from their ID.
inline constexpr const char* returnToZero = "rtz_button";
inline constexpr const char* zero = "zero_button";
inline constexpr const char* rewind = "rew_button";
inline constexpr const char* fastForward = "ff_button";
inline constexpr const char* stop = "stop_button";
inline constexpr const char* play = "play_button";
inline constexpr const char* record = "rec_button";

// Loop, tool and function buttons.
inline constexpr const char* loopClear = "loop_clear";
inline constexpr const char* loopIn = "loop_in";
inline constexpr const char* loopOut = "loop_out";
inline constexpr const char* loopToggle = "loop_toggle";
inline constexpr const char* loopCut = "loop_cut";
inline constexpr const char* clickToggle = "click_toggle";
inline constexpr const char* clearDefects = "clear_defects";
inline constexpr const char* format = "FORMAT";

// The tape strip carries the ID of the tape-shuttle control so MIDI learn can pick it.
inline constexpr const char* tapeStrip = "SCRUB";

// Overlays: children of the deck panel, found again by these IDs.
inline constexpr const char* settingsPanel = "settings_panel";
inline constexpr const char* exportOverlay = "export_overlay";
inline constexpr const char* importPanel = "import_panel";
inline constexpr const char* aboutPanel = "about_panel";
} // namespace EditorIds
