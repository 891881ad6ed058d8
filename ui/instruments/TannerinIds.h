#pragma once

// Names shared by the slide instrument's editor, its performance window and their tests:
// the component IDs double as MIDI-learn control IDs ("INST_4_" + ID).
namespace TannerinIds
{
inline constexpr int builtInType = 4;

inline constexpr const char* slide = "SLIDE";
inline constexpr const char* masterVol = "VOL";
inline constexpr const char* octave = "OCTAVE";
inline constexpr const char* lfoRate = "LFORATE";
inline constexpr const char* lfoAmt = "LFOAMT";
inline constexpr const char* lfoDelay = "LFODELAY";
inline constexpr const char* lfoAttack = "LFOATTACK";
inline constexpr const char* mix1 = "MIX1";
inline constexpr const char* tune2 = "TUNE2";
inline constexpr const char* fine2 = "FINE2";
inline constexpr const char* mix2 = "MIX2";
inline constexpr const char* cutoff = "CUTOFF";
inline constexpr const char* res = "RES";
inline constexpr const char* envMod = "ENVMOD";
inline constexpr const char* filterAttack = "FA";
inline constexpr const char* filterDecay = "FD";
inline constexpr const char* filterSustain = "FS";
inline constexpr const char* filterRelease = "FR";
inline constexpr const char* ampAttack = "AA";
inline constexpr const char* ampDecay = "AD";
inline constexpr const char* ampSustain = "AS";
inline constexpr const char* ampRelease = "AR";
inline constexpr const char* wave1 = "WAVE1";
inline constexpr const char* wave2 = "WAVE2";
inline constexpr const char* filterType = "FILTTYPE";

inline constexpr const char* presetCategory = "Tannerin";
inline constexpr const char* title = "Velmora LIRVANDO";
inline constexpr const char* performanceTitle = "Lirvando Performance Keyboard";

inline constexpr const char* gateText = "GATE (HOLD SPACE)";
inline constexpr const char* latchText = "LATCH";
inline constexpr const char* keyboardText = "KBD";
inline constexpr const char* lightsText = "LIGHTS";
inline constexpr const char* touchText = "TOUCH";
inline constexpr const char* learnText = "MIDI LEARN";
inline constexpr const char* performanceGateText = "ON";

inline constexpr int timerMs = 33;
} // namespace TannerinIds
