#pragma once

#include <juce_core/juce_core.h>

/** Codes of the built-in effects, as held in an insert slot's builtInType and stored in the reel's
    "type" attribute. 0 marks a slot that hosts a plug-in instead. The values are part of stored reels:
    never renumber them. */
enum BuiltInEffectType : int
{
    NoBuiltInEffect = 0,
    AnalogReverb = 1,
    TapeEcho = 2,
    OptoComp = 3,
    LineAmp = 4,
    Equalizer = 5,
    MultiModulator = 6,
    FetComp = 7
};

namespace BuiltInEffects
{
inline constexpr int firstType = AnalogReverb;
inline constexpr int lastType = FetComp;
inline constexpr int numTypes = lastType - firstType + 1;

// Device names: the name a new slot of the type gets, shown in the rack and the insert windows.
inline constexpr const char* analogReverbName = "Velmora Analog Reverb";
inline constexpr const char* tapeEchoName = "Velmora Tape Echo";
inline constexpr const char* optoCompName = "Velmora Opto Comp";
inline constexpr const char* lineAmpName = "Velmora Line Amp";
inline constexpr const char* equalizerName = "Velmora Equalizer";
inline constexpr const char* multiModulatorName = "Velmora Multi-Modulator";
inline constexpr const char* fetCompName = "Velmora FET-Q9";

inline constexpr bool isBuiltInEffectType (int type) noexcept
{
    return type >= firstType && type <= lastType;
}

/** The device name of a built-in effect type; empty for any other value. */
inline juce::String getDeviceName (int type)
{
    switch (type)
    {
        case AnalogReverb:
            return analogReverbName;
        case TapeEcho:
            return tapeEchoName;
        case OptoComp:
            return optoCompName;
        case LineAmp:
            return lineAmpName;
        case Equalizer:
            return equalizerName;
        case MultiModulator:
            return multiModulatorName;
        case FetComp:
            return fetCompName;
        default:
            return {};
    }
}

/** The type whose device name this is (exact match), or NoBuiltInEffect. */
inline int getTypeForDeviceName (const juce::String& name)
{
    for (int type = firstType; type <= lastType; ++type)
        if (name == getDeviceName (type))
            return type;

    return NoBuiltInEffect;
}
} // namespace BuiltInEffects
