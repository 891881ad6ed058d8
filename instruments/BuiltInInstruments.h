#pragma once

#include <juce_core/juce_core.h>

// The catalogue of built-in instruments: type codes as stored in reels
// ("type" of BUILTIN_INSTRUMENT, the slot's builtInType), device names shown in
// the rack, preset folders and MIDI-learn identifiers. The processor, the reel
// storage, the rack and the editors all use these constants.
namespace BuiltInInstruments
{
enum BuiltInInstrumentType : int
{
    MonoSynth = 1,
    RhythmMachine = 2,
    PolySynth = 3,
    Tannerin = 4,
    StageKeyboard = 5
};

constexpr int firstType = MonoSynth;
constexpr int lastType = StageKeyboard;

inline constexpr const char* monoSynthName = "Velmora K-7 Mono Synthesizer";
inline constexpr const char* rhythmMachineName = "Velmora Pulsaro Rhythm";
inline constexpr const char* polySynthName = "Velmora K-70 Poly Synthesizer";
inline constexpr const char* tannerinName = "Velmora Lirvando";
inline constexpr const char* stageKeyboardName = "Velmora Stage Keyboard";

/** Sub-folders of "Presets" in the per-user folder; the rhythm machine has none. */
inline constexpr const char* presetsFolderName = "Presets";
inline constexpr const char* monoSynthPresetFolder = "MonoBass";
inline constexpr const char* polySynthPresetFolder = "PolySynth";
inline constexpr const char* tannerinPresetFolder = "Tannerin";
inline constexpr const char* stageKeyboardPresetFolder = "StageKeyboard";

/** Prefix of the MIDI-learn targets of instrument controls. */
inline constexpr const char* midiLearnPrefix = "INST_";

inline bool isBuiltInType (int type) noexcept
{
    return type >= firstType && type <= lastType;
}

/** Device name of a type; any unknown type is shown as the poly synthesizer, as older reels expect. */
inline const char* getDeviceName (int type) noexcept
{
    switch (type)
    {
        case MonoSynth:
            return monoSynthName;
        case RhythmMachine:
            return rhythmMachineName;
        case Tannerin:
            return tannerinName;
        case StageKeyboard:
            return stageKeyboardName;
        case PolySynth:
        default:
            return polySynthName;
    }
}

/** Preset sub-folder of a type, or an empty text when the type has no presets. */
inline const char* getPresetFolderName (int type) noexcept
{
    switch (type)
    {
        case MonoSynth:
            return monoSynthPresetFolder;
        case PolySynth:
            return polySynthPresetFolder;
        case Tannerin:
            return tannerinPresetFolder;
        case StageKeyboard:
            return stageKeyboardPresetFolder;
        default:
            return "";
    }
}

/** "INST_" + type + "_" + control ID, e.g. "INST_5_TREMRATE". */
inline juce::String makeMidiLearnId (int type, const juce::String& componentId)
{
    return juce::String (midiLearnPrefix) + juce::String (type) + "_" + componentId;
}
} // namespace BuiltInInstruments
