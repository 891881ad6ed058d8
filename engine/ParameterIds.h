#pragma once

#include <juce_core/juce_core.h>

/** Identifiers of the processor's parameter tree "PARAMETERS" and of the non-parameter
    properties it carries. The identifiers are also a stored format: every reel keeps its
    parameters under them. */
namespace ParameterIds
{
// Global parameters, in creation order.
inline constexpr const char* TIME = "TIME";
inline constexpr const char* DISABLE_ELASTIC = "DISABLE_ELASTIC";
inline constexpr const char* FORMAT = "FORMAT";
inline constexpr const char* DISABLE_NOISE = "DISABLE_NOISE";
inline constexpr const char* DRIVE = "DRIVE";
inline constexpr const char* AGE = "AGE";
inline constexpr const char* NOISE = "NOISE";
inline constexpr const char* WOW = "WOW";
inline constexpr const char* FLUTTER = "FLUTTER";
inline constexpr const char* TAPE_LENGTH = "TAPE_LENGTH";
inline constexpr const char* VARISPEED = "VARISPEED";
inline constexpr const char* REVERSE = "REVERSE";
inline constexpr const char* DIGITAL_FINGER = "DIGITAL_FINGER";
inline constexpr const char* REC_OFFSET = "REC_OFFSET";
inline constexpr const char* DIRECT_MON = "DIRECT_MON";
inline constexpr const char* SYNC_LOCK = "SYNC_LOCK";
inline constexpr const char* LIGHT_GUI = "LIGHT_GUI";
inline constexpr const char* SHOW_WAVE = "SHOW_WAVE";
inline constexpr const char* SOUND_ON_SOUND = "SOUND_ON_SOUND";
inline constexpr const char* PUNCH_IN = "PUNCH_IN";
inline constexpr const char* DISABLE_AUTO_DISARM = "DISABLE_AUTO_DISARM";
inline constexpr const char* MOMENTARY_TRANSPORT = "MOMENTARY_TRANSPORT";
inline constexpr const char* AUTO_SAVE_INTERVAL = "AUTO_SAVE_INTERVAL";
inline constexpr const char* DISABLE_SFX = "DISABLE_SFX";
inline constexpr const char* MASTER_VOL = "MASTER_VOL";
inline constexpr const char* AUX1_RETURN = "AUX1_RETURN";
inline constexpr const char* AUX2_RETURN = "AUX2_RETURN";
inline constexpr const char* AUX1_PAN = "AUX1_PAN";
inline constexpr const char* AUX2_PAN = "AUX2_PAN";
inline constexpr const char* AUX1_MUTE = "AUX1_MUTE";
inline constexpr const char* AUX2_MUTE = "AUX2_MUTE";
inline constexpr const char* INT_REV_TYPE = "INT_REV_TYPE";
inline constexpr const char* INT_REV_DECAY = "INT_REV_DECAY";
inline constexpr const char* INT_REV_DAMP = "INT_REV_DAMP";
inline constexpr const char* INT_REV_MIX = "INT_REV_MIX";
inline constexpr const char* INT_REV_PAN = "INT_REV_PAN";
inline constexpr const char* INT_ECHO_TIME = "INT_ECHO_TIME";
inline constexpr const char* INT_ECHO_FB = "INT_ECHO_FB";
inline constexpr const char* INT_ECHO_AGE = "INT_ECHO_AGE";
inline constexpr const char* INT_ECHO_MIX = "INT_ECHO_MIX";
inline constexpr const char* INT_ECHO_PAN = "INT_ECHO_PAN";
inline constexpr const char* INT_ECHO_SYNC = "INT_ECHO_SYNC";
inline constexpr const char* INT_ECHO_DRIVE = "INT_ECHO_DRIVE";
inline constexpr const char* INT_MFX_TYPE = "INT_MFX_TYPE";
inline constexpr const char* INT_MFX_P1 = "INT_MFX_P1";
inline constexpr const char* INT_MFX_P2 = "INT_MFX_P2";
inline constexpr const char* INT_MFX_SYNC = "INT_MFX_SYNC";
inline constexpr const char* ARM_GRAB = "ARM_GRAB";
inline constexpr const char* ARM_ANGLE = "ARM_ANGLE";
inline constexpr const char* DEGRADE_ON = "DEGRADE_ON";
inline constexpr const char* DEGRADE_RATE = "DEGRADE_RATE";

// Per-track prefixes: followed by the 1-based track number ("VOL_1" .. "VOL_24").
inline constexpr const char* TRIM_ = "TRIM_";
inline constexpr const char* EQ_PRE_ = "EQ_PRE_";
inline constexpr const char* EQ_HIGH_ = "EQ_HIGH_";
inline constexpr const char* EQ_MID_FREQ_ = "EQ_MID_FREQ_";
inline constexpr const char* EQ_MID_GAIN_ = "EQ_MID_GAIN_";
inline constexpr const char* EQ_LOW_ = "EQ_LOW_";
inline constexpr const char* AUX1_ = "AUX1_";
inline constexpr const char* AUX2_ = "AUX2_";
inline constexpr const char* VOL_ = "VOL_";
inline constexpr const char* MUTE_ = "MUTE_";
inline constexpr const char* SOLO_ = "SOLO_";
inline constexpr const char* PAN_ = "PAN_";
inline constexpr const char* PHASE_ = "PHASE_";
inline constexpr const char* MON_ = "MON_";

// Global parameters created after the tracks.
inline constexpr const char* SHOW_TIPS = "SHOW_TIPS";
inline constexpr const char* CLICK_VOL = "CLICK_VOL";
inline constexpr const char* SCRUB = "SCRUB";

// The state tree and the properties it carries that are not parameters.
inline constexpr const char* PARAMETERS = "PARAMETERS";
inline constexpr const char* PROJECT_BPM = "PROJECT_BPM";
inline constexpr const char* PROJECT_TS_NUM = "PROJECT_TS_NUM";
inline constexpr const char* PROJECT_TS_DENOM = "PROJECT_TS_DENOM";
inline constexpr const char* TrackName_ = "TrackName_";
inline constexpr const char* ShowMaskingTape = "ShowMaskingTape";

inline constexpr int numTracks = 24;
inline constexpr int numParametersPerTrack = 14;
inline constexpr int numParameters = 51 + numTracks * numParametersPerTrack + 3;

/** A per-track identifier: the prefix followed by the 1-based track number. */
inline juce::String forTrack (const char* prefix, int trackNumber)
{
    return juce::String (prefix) + juce::String (trackNumber);
}

/** The volume parameter of a console channel: "VOL_" + (channel + 1) for the tracks 0..23,
    "AUX1_RETURN" for 24 and "AUX2_RETURN" for 25; empty for any other channel. */
inline juce::String forChannelVolume (int channel)
{
    if (channel >= 0 && channel < numTracks)
        return forTrack (VOL_, channel + 1);

    if (channel == numTracks)
        return AUX1_RETURN;

    if (channel == numTracks + 1)
        return AUX2_RETURN;

    return {};
}
} // namespace ParameterIds
