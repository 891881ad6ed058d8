// The parameter layout: 51 global parameters, 14 for each of the 24 tracks, then 3 more. The
// identifiers, ranges and choice orders are a stored format (every reel keeps its parameters),
// so the order of creation below is part of it.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"

namespace
{
using Layout = juce::AudioProcessorValueTreeState::ParameterLayout;

juce::ParameterID idFor (const juce::String& id)
{
    return juce::ParameterID{id, 0};
}

/** A float built from minimum, maximum and default alone: the framework's range with an
    interval of 0.01 and no skew. */
void addPlain (Layout& layout, const juce::String& id, const juce::String& name, float min, float max, float def)
{
    layout.add (std::make_unique<juce::AudioParameterFloat> (idFor (id), name, min, max, def));
}

void addSkewed (Layout& layout, const juce::String& id, const juce::String& name, float min, float max, float interval,
                float skew, float def)
{
    layout.add (std::make_unique<juce::AudioParameterFloat> (
        idFor (id), name, juce::NormalisableRange<float> (min, max, interval, skew, false), def));
}

void addBool (Layout& layout, const juce::String& id, const juce::String& name, bool def = false)
{
    layout.add (std::make_unique<juce::AudioParameterBool> (idFor (id), name, def));
}

void addChoice (Layout& layout, const juce::String& id, const juce::String& name, const juce::StringArray& choices,
                int def)
{
    layout.add (std::make_unique<juce::AudioParameterChoice> (idFor (id), name, choices, def));
}
} // namespace

juce::String TavrelDelayAudioProcessor::varispeedToText (float value)
{
    return juce::String (juce::roundToInt (value * 100.0f)) + "%";
}

float TavrelDelayAudioProcessor::varispeedFromText (const juce::String& text)
{
    return text.removeCharacters ("%").getFloatValue() / 100.0f;
}

juce::AudioProcessorValueTreeState::ParameterLayout TavrelDelayAudioProcessor::createParameterLayout()
{
    using namespace ParameterIds;
    Layout layout;

    addSkewed (layout, TIME, "Head Gap (ms)", 0.0f, 1000.0f, 1.0f, 0.4f, 200.0f);
    addBool (layout, DISABLE_ELASTIC, "Disable Elastic Write");
    addChoice (layout, FORMAT, "Tape Format", {"1 inch Master", "1/2 inch Studio", "1/4 inch Home", "Cassette"}, 2);
    addBool (layout, DISABLE_NOISE, "Disable Noise Print");
    addPlain (layout, DRIVE, "Master Drive", 1.0f, 10.0f, 2.0f);
    addPlain (layout, AGE, "Tape Age / Stickiness", 0.0f, 1.5f, 0.0f);
    addPlain (layout, NOISE, "Hiss Level", 0.0f, 1.0f, 0.5f);
    addPlain (layout, WOW, "Wow", 0.0f, 4.0f, 0.5f);
    addPlain (layout, FLUTTER, "Flutter", 0.0f, 1.0f, 0.4f);
    addChoice (layout, TAPE_LENGTH, "Default Length",
               {"5 Minutes", "10 Minutes", "20 Minutes", "30 Minutes", "45 Minutes", "60 Minutes"}, 1);

    layout.add (std::make_unique<juce::AudioParameterFloat> (
        idFor (VARISPEED), "Varispeed", juce::NormalisableRange<float> (0.05f, 2.0f, 0.001f, 0.6f, false), 1.0f,
        juce::AudioParameterFloatAttributes()
            .withStringFromValueFunction ([] (float value, int) { return varispeedToText (value); })
            .withValueFromStringFunction ([] (const juce::String& text) { return varispeedFromText (text); })));

    addBool (layout, REVERSE, "Reverse Tape");
    addPlain (layout, DIGITAL_FINGER, "Digital Finger", 0.0f, 1.0f, 0.3f);
    layout.add (
        std::make_unique<juce::AudioParameterInt> (idFor (REC_OFFSET), "Driver Error (Samples)", -2000, 5000, 0));
    addBool (layout, DIRECT_MON, "Mute Input Monitor");
    addBool (layout, SYNC_LOCK, "DAW Sync Lock (Zero Drift)");
    addBool (layout, LIGHT_GUI, "Low CPU Mode");
    addBool (layout, SHOW_WAVE, "Show Waveforms");
    addBool (layout, SOUND_ON_SOUND, "Sound On Sound");
    addBool (layout, PUNCH_IN, "Punch-In (0ms Delay)");
    addBool (layout, DISABLE_AUTO_DISARM, "Disable Auto-Disarm");
    addBool (layout, MOMENTARY_TRANSPORT, "Momentary Rewind/FFWD");
    addChoice (layout, AUTO_SAVE_INTERVAL, "Auto-Save Interval",
               {"Off", "5 Minutes", "10 Minutes", "15 Minutes", "30 Minutes"}, 2);
    addBool (layout, DISABLE_SFX, "Disable Button Sounds");
    addSkewed (layout, MASTER_VOL, "Master Output", 0.0f, 4.0f, 0.0f, 0.3f, 1.0f);
    addSkewed (layout, AUX1_RETURN, "Aux 1 Return", 0.0f, 2.0f, 0.0f, 0.4f, 1.0f);
    addSkewed (layout, AUX2_RETURN, "Aux 2 Return", 0.0f, 2.0f, 0.0f, 0.4f, 1.0f);
    addPlain (layout, AUX1_PAN, "Aux 1 Pan", -1.0f, 1.0f, 0.0f);
    addPlain (layout, AUX2_PAN, "Aux 2 Pan", -1.0f, 1.0f, 0.0f);
    addBool (layout, AUX1_MUTE, "Aux 1 Mute");
    addBool (layout, AUX2_MUTE, "Aux 2 Mute");
    addChoice (layout, INT_REV_TYPE, "Reverb Type", {"Spring", "Plate", "Hall", "Dream"}, 1);
    addPlain (layout, INT_REV_DECAY, "Reverb Decay", 0.0f, 1.0f, 0.5f);
    addPlain (layout, INT_REV_DAMP, "Reverb Damping", 0.0f, 1.0f, 0.5f);
    addPlain (layout, INT_REV_MIX, "Reverb Mix", 0.0f, 1.0f, 1.0f);
    addPlain (layout, INT_REV_PAN, "Reverb Pan", -1.0f, 1.0f, 0.0f);
    addPlain (layout, INT_ECHO_TIME, "Echo Time", 50.0f, 1000.0f, 300.0f);
    addPlain (layout, INT_ECHO_FB, "Echo Feedback", 0.0f, 1.2f, 0.4f);
    addChoice (layout, INT_ECHO_AGE, "Echo Tape Age", {"Clean", "Worn", "Old"}, 1);
    addPlain (layout, INT_ECHO_MIX, "Echo Mix", 0.0f, 1.0f, 1.0f);
    addPlain (layout, INT_ECHO_PAN, "Echo Pan", -1.0f, 1.0f, 0.0f);
    addBool (layout, INT_ECHO_SYNC, "Echo Sync");
    addPlain (layout, INT_ECHO_DRIVE, "Echo Input Gain", -24.0f, 24.0f, -6.0f);
    addChoice (layout, INT_MFX_TYPE, "MultiFX Type",
               {"Phaser", "Flanger", "Chorus", "ADT", "Distortion", "Vibrato", "Tremolo"}, 0);
    addPlain (layout, INT_MFX_P1, "MultiFX Param 1", 0.0f, 1.0f, 0.5f);
    addPlain (layout, INT_MFX_P2, "MultiFX Param 2", 0.0f, 1.0f, 0.5f);
    addBool (layout, INT_MFX_SYNC, "MultiFX Sync");
    addBool (layout, ARM_GRAB, "Arm Grabbed");
    addPlain (layout, ARM_ANGLE, "Arm Target Angle", -0.6f, 0.6f, 0.0f);
    addBool (layout, DEGRADE_ON, "Auto-Wear");
    addPlain (layout, DEGRADE_RATE, "Wear Rate", 0.0f, 1.0f, 0.2f);

    for (int n = 1; n <= maxTracks; ++n)
    {
        const auto track = juce::String (n);
        const auto id = [n] (const char* prefix) { return forTrack (prefix, n); };

        addPlain (layout, id (TRIM_), "Track " + track + " Trim", 0.0f, 2.0f, 1.0f);
        addBool (layout, id (EQ_PRE_), "EQ Pre-Tape " + track);
        addSkewed (layout, id (EQ_HIGH_), "Track " + track + " High", 0.25f, 4.0f, 0.01f, 0.43f, 1.0f);
        addSkewed (layout, id (EQ_MID_FREQ_), "Track " + track + " Mid Freq", 250.0f, 5000.0f, 1.0f, 0.38f, 1000.0f);
        addSkewed (layout, id (EQ_MID_GAIN_), "Track " + track + " Mid Gain", 0.25f, 4.0f, 0.01f, 0.43f, 1.0f);
        addSkewed (layout, id (EQ_LOW_), "Track " + track + " Low", 0.25f, 4.0f, 0.01f, 0.43f, 1.0f);
        addPlain (layout, id (AUX1_), "Track " + track + " Aux 1", 0.0f, 1.0f, 0.0f);
        addPlain (layout, id (AUX2_), "Track " + track + " Aux 2", 0.0f, 1.0f, 0.0f);
        addSkewed (layout, id (VOL_), "Track " + track + " Vol", 0.0f, 2.0f, 0.0f, 0.4f, 1.0f);
        addBool (layout, id (MUTE_), "Track " + track + " Mute");
        addBool (layout, id (SOLO_), "Track " + track + " Solo");
        addPlain (layout, id (PAN_), "Track " + track + " Pan", -1.0f, 1.0f, 0.0f);
        addBool (layout, id (PHASE_), "Track " + track + " Phase");
        addChoice (layout, id (MON_), "Track " + track + " Monitor", {"IN", "TAPE"}, 0);
    }

    addBool (layout, SHOW_TIPS, "Show Tooltips", true);
    addPlain (layout, CLICK_VOL, "Click Volume", 0.0f, 1.0f, 0.5f);
    addPlain (layout, SCRUB, "Tape Shuttle", 0.0f, 1.0f, 0.5f);

    return layout;
}
