#pragma once

// Component IDs, texts and window titles of the rhythm machine's editor, its sequencer window
// and its drum pads. The component IDs are also the control part of the MIDI-learn targets
// ("INST_2_" + ID), which the processor's MIDI dispatch reads back.
namespace RhythmEditorIds
{
inline constexpr const char* volume = "VOL";
inline constexpr const char* tempo = "BPM";
inline constexpr const char* steps = "STEPS";
inline constexpr const char* swing = "SWING";
inline constexpr const char* sync = "SYNC";
inline constexpr const char* play = "PLAY";

// Voice knob IDs: the prefix followed by the voice index 0..9.
inline constexpr const char* voiceLevelPrefix = "V_";
inline constexpr const char* voiceTunePrefix = "T_";
inline constexpr const char* voiceLengthPrefix = "L_";

inline constexpr const char* voiceNames[10] = {"KIK", "SN1", "SN2", "RIM", "CH", "OH", "CLV", "CB", "T-H", "T-L"};

inline constexpr const char* editorTitle = "Velmora Pulsaro Rhythm Machine";
inline constexpr const char* learnText = "MIDI LEARN";
inline constexpr const char* matrixText = "MATRIX";
inline constexpr const char* padsText = "PADS";
inline constexpr const char* clearText = "CLEAR";
inline constexpr const char* syncText = "DAW SYNC";
inline constexpr const char* playOnText = "ON";
inline constexpr const char* playOffText = "OFF";

inline constexpr const char* sampleButtonInitialText = "[ SYNTH ]";
inline constexpr const char* sampleButtonEmptyText = "[load]";
inline constexpr const char* sampleButtonTooltip = "Click to load or clear a sample.\nDrag and Drop WAV supported.";
inline constexpr const char* loadSampleItem = "Load Custom Sample...";
inline constexpr const char* clearSampleItem = "Clear (Revert to Analog Synth)";
inline constexpr const char* loadSampleTitle = "Load Drum Sample";
inline constexpr const char* sampleFilePatterns = "*.wav;*.aiff";

/** The notice shown when a chosen or dropped file is not audio the program can read. */
inline constexpr const char* sampleNotLoadedTitle = "Sample Not Loaded";

inline constexpr const char* sequencerTitle = "Pulsaro Sequencer";
inline constexpr const char* padsTitle = "Pulsaro Drum Pads";
inline constexpr const char* velocityCaption = "VELOCITY:";
} // namespace RhythmEditorIds
