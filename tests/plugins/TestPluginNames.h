#pragma once

// The test plug-ins: one binary copied into one bundle per name below. The binary finds its own
// file name at load time and takes the identity listed here, so the build compiles JUCE into a
// plug-in only once. Plain C++ only: the plug-ins include this with their own copy of JUCE.
namespace TestPluginNames
{
enum class Kind
{
    gain,         // stereo (or mono) in and out, multiplies by gainFactor
    monoToStereo, // mono in, stereo out: left = input, right = input x monoRightFactor
    quadSynth,    // instrument: no input, quadraphonic output, a sine per held note
    state,        // stereo effect whose "Level" parameter is the gain and is kept in its state
    crash,        // aborts when the host creates it (while being scanned)
    hang          // never returns when the host creates it
};

struct Identity
{
    Kind kind;
    const char* binaryName;  // bundle name without ".vst3", and the name of the .so inside
    const char* displayName; // the plug-in's name as hosts list it
    bool isInstrument;
};

inline constexpr Identity identities[] = {
    {Kind::gain, "DravinTestGain", "Dravin Test Gain", false},
    {Kind::monoToStereo, "DravinTestMonoToStereo", "Dravin Test Mono To Stereo", false},
    {Kind::quadSynth, "DravinTestQuadSynth", "Dravin Test Quad Synth", true},
    {Kind::state, "DravinTestState", "Dravin Test State", false},
    {Kind::crash, "DravinTestCrash", "Dravin Test Crash", false},
    {Kind::hang, "DravinTestHang", "Dravin Test Hang", false},
};

inline constexpr const char* manufacturer = "Dravin Test";

inline constexpr float gainFactor = 0.5f;
inline constexpr float monoRightFactor = 0.5f;

// Amplitude of one note at full velocity on each of the four outputs of the synth.
inline constexpr float quadSynthChannelGains[4] = {0.125f, 0.25f, 0.375f, 0.5f};

// The state plug-in's parameter and the marker its saved state carries.
inline constexpr const char* levelParameterName = "Level";
inline constexpr const char* stateMarker = "dravin-test-state";

inline const Identity& identityOf (Kind kind)
{
    for (auto& identity : identities)
        if (identity.kind == kind)
            return identity;

    return identities[0];
}
} // namespace TestPluginNames
