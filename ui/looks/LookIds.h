#pragma once

// Names the looks react to or write: component IDs and prefixes of the controls they draw in a
// special way, the alert-window property holding the message, and the theme file's names.
namespace LookIds
{
// Transport keys, drawn as key caps (vintage) or with an icon (minimal).
inline constexpr const char* playButton = "play_button";
inline constexpr const char* stopButton = "stop_button";
inline constexpr const char* recButton = "rec_button";
inline constexpr const char* rewButton = "rew_button";
inline constexpr const char* ffButton = "ff_button";
inline constexpr const char* rtzButton = "rtz_button";
inline constexpr const char* zeroButton = "zero_button";

// Buttons with their own active colour in the minimal look.
inline constexpr const char* loopCut = "loop_cut";
inline constexpr const char* loopClear = "loop_clear";
inline constexpr const char* mutePrefix = "MUTE";
inline constexpr const char* soloPrefix = "SOLO";
inline constexpr const char* monPrefix = "MON";
inline constexpr const char* auxPrefix = "AUX";

// Knobs: film strip (vintage) or dot colour (minimal).
inline constexpr const char* eqPrefix = "EQ_";
inline constexpr const char* panPrefix = "PAN";

/** Component property of an alert window holding the message the looks draw as its body. */
inline constexpr const char* bodyText = "bodyText";

/** Window name whose buttons the vintage look draws flat. */
inline constexpr const char* pluginManagerWindow = "Plugin Manager";

// The theme file in the per-user folder.
inline constexpr const char* themeFileName = "modern_theme.xml";
inline constexpr const char* themeRoot = "THEME";
inline constexpr const char* cBg = "cBg";
inline constexpr const char* cChassis1 = "cChassis1";
inline constexpr const char* cChassis2 = "cChassis2";
inline constexpr const char* cStrip = "cStrip";
inline constexpr const char* cAccent = "cAccent";
inline constexpr const char* cDark = "cDark";
inline constexpr const char* cRed = "cRed";
inline constexpr const char* useModernUI = "useModernUI";
inline constexpr const char* showDustCover = "showDustCover";
} // namespace LookIds
