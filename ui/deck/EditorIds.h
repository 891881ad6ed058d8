#pragma once

#include "ui/looks/LookIds.h"

// Component IDs of the editor's controls and overlays. They double as drawing keys for the looks
// and as MIDI-learn targets, so they are a stored format too: "midi_map.xml" keeps them. Knobs and
// switches bound to a parameter carry the parameter's identifier (ParameterIds.h) instead.
namespace EditorIds
{
// Transport keys, drawn by the look-and-feel from their ID.
inline constexpr const char* returnToZero = LookIds::rtzButton;
inline constexpr const char* zero = LookIds::zeroButton;
inline constexpr const char* rewind = LookIds::rewButton;
inline constexpr const char* fastForward = LookIds::ffButton;
inline constexpr const char* stop = LookIds::stopButton;
inline constexpr const char* play = LookIds::playButton;
inline constexpr const char* record = LookIds::recButton;

// Loop, tool and function buttons.
inline constexpr const char* loopClear = LookIds::loopClear;
inline constexpr const char* loopIn = "loop_in";
inline constexpr const char* loopOut = "loop_out";
inline constexpr const char* loopToggle = "loop_toggle";
inline constexpr const char* loopCut = LookIds::loopCut;
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
