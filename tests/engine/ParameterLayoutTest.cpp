#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"

#include <gtest/gtest.h>

namespace
{
enum class Kind
{
    floating,
    integer,
    boolean,
    choice
};

struct Expected
{
    juce::String id, name;
    Kind kind;
    float min = 0.0f, max = 1.0f, interval = 0.0f, skew = 1.0f, def = 0.0f;
    juce::StringArray choices = {};
};

Expected plain (const juce::String& id, const juce::String& name, float min, float max, float def)
{
    return {id, name, Kind::floating, min, max, 0.01f, 1.0f, def};
}

Expected skewed (const juce::String& id, const juce::String& name, float min, float max, float interval, float skew,
                 float def)
{
    return {id, name, Kind::floating, min, max, interval, skew, def};
}

Expected onOff (const juce::String& id, const juce::String& name, bool def = false)
{
    return {id, name, Kind::boolean, 0.0f, 1.0f, 1.0f, 1.0f, def ? 1.0f : 0.0f};
}

Expected choice (const juce::String& id, const juce::String& name, const juce::StringArray& choices, int def)
{
    return {id, name, Kind::choice, 0.0f, (float)choices.size() - 1.0f, 1.0f, 1.0f, (float)def, choices};
}

std::vector<Expected> expectedLayout()
{
    using namespace ParameterIds;
    std::vector<Expected> list = {
        skewed (TIME, "Head Gap (ms)", 0, 1000, 1, 0.4f, 200),
        onOff (DISABLE_ELASTIC, "Disable Elastic Write"),
        choice (FORMAT, "Tape Format", {"1 inch Master", "1/2 inch Studio", "1/4 inch Home", "Cassette"}, 2),
        onOff (DISABLE_NOISE, "Disable Noise Print"),
        plain (DRIVE, "Master Drive", 1, 10, 2),
        plain (AGE, "Tape Age / Stickiness", 0, 1.5f, 0),
        plain (NOISE, "Hiss Level", 0, 1, 0.5f),
        plain (WOW, "Wow", 0, 4, 0.5f),
        plain (FLUTTER, "Flutter", 0, 1, 0.4f),
        choice (TAPE_LENGTH, "Default Length",
                {"5 Minutes", "10 Minutes", "20 Minutes", "30 Minutes", "45 Minutes", "60 Minutes"}, 1),
        skewed (VARISPEED, "Varispeed", 0.05f, 2, 0.001f, 0.6f, 1),
        onOff (REVERSE, "Reverse Tape"),
        plain (DIGITAL_FINGER, "Digital Finger", 0, 1, 0.3f),
        {REC_OFFSET, "Driver Error (Samples)", Kind::integer, -2000, 5000, 1, 1, 0},
        onOff (DIRECT_MON, "Mute Input Monitor"),
        onOff (SYNC_LOCK, "DAW Sync Lock (Zero Drift)"),
        onOff (LIGHT_GUI, "Low CPU Mode"),
        onOff (SHOW_WAVE, "Show Waveforms"),
        onOff (SOUND_ON_SOUND, "Sound On Sound"),
        onOff (PUNCH_IN, "Punch-In (0ms Delay)"),
        onOff (DISABLE_AUTO_DISARM, "Disable Auto-Disarm"),
        onOff (MOMENTARY_TRANSPORT, "Momentary Rewind/FFWD"),
        choice (AUTO_SAVE_INTERVAL, "Auto-Save Interval",
                {"Off", "5 Minutes", "10 Minutes", "15 Minutes", "30 Minutes"}, 2),
        onOff (DISABLE_SFX, "Disable Button Sounds"),
        skewed (MASTER_VOL, "Master Output", 0, 4, 0, 0.3f, 1),
        skewed (AUX1_RETURN, "Aux 1 Return", 0, 2, 0, 0.4f, 1),
        skewed (AUX2_RETURN, "Aux 2 Return", 0, 2, 0, 0.4f, 1),
        plain (AUX1_PAN, "Aux 1 Pan", -1, 1, 0),
        plain (AUX2_PAN, "Aux 2 Pan", -1, 1, 0),
        onOff (AUX1_MUTE, "Aux 1 Mute"),
        onOff (AUX2_MUTE, "Aux 2 Mute"),
        choice (INT_REV_TYPE, "Reverb Type", {"Spring", "Plate", "Hall", "Dream"}, 1),
        plain (INT_REV_DECAY, "Reverb Decay", 0, 1, 0.5f),
        plain (INT_REV_DAMP, "Reverb Damping", 0, 1, 0.5f),
        plain (INT_REV_MIX, "Reverb Mix", 0, 1, 1),
        plain (INT_REV_PAN, "Reverb Pan", -1, 1, 0),
        plain (INT_ECHO_TIME, "Echo Time", 50, 1000, 300),
        plain (INT_ECHO_FB, "Echo Feedback", 0, 1.2f, 0.4f),
        choice (INT_ECHO_AGE, "Echo Tape Age", {"Clean", "Worn", "Old"}, 1),
        plain (INT_ECHO_MIX, "Echo Mix", 0, 1, 1),
        plain (INT_ECHO_PAN, "Echo Pan", -1, 1, 0),
        onOff (INT_ECHO_SYNC, "Echo Sync"),
        plain (INT_ECHO_DRIVE, "Echo Input Gain", -24, 24, -6),
        choice (INT_MFX_TYPE, "MultiFX Type",
                {"Phaser", "Flanger", "Chorus", "ADT", "Distortion", "Vibrato", "Tremolo"}, 0),
        plain (INT_MFX_P1, "MultiFX Param 1", 0, 1, 0.5f),
        plain (INT_MFX_P2, "MultiFX Param 2", 0, 1, 0.5f),
        onOff (INT_MFX_SYNC, "MultiFX Sync"),
        onOff (ARM_GRAB, "Arm Grabbed"),
        plain (ARM_ANGLE, "Arm Target Angle", -0.6f, 0.6f, 0),
        onOff (DEGRADE_ON, "Auto-Wear"),
        plain (DEGRADE_RATE, "Wear Rate", 0, 1, 0.2f),
    };

    for (int n = 1; n <= 24; ++n)
    {
        const auto t = juce::String (n);
        const auto id = [n] (const char* prefix) { return forTrack (prefix, n); };
        list.push_back (plain (id (TRIM_), "Track " + t + " Trim", 0, 2, 1));
        list.push_back (onOff (id (EQ_PRE_), "EQ Pre-Tape " + t));
        list.push_back (skewed (id (EQ_HIGH_), "Track " + t + " High", 0.25f, 4, 0.01f, 0.43f, 1));
        list.push_back (skewed (id (EQ_MID_FREQ_), "Track " + t + " Mid Freq", 250, 5000, 1, 0.38f, 1000));
        list.push_back (skewed (id (EQ_MID_GAIN_), "Track " + t + " Mid Gain", 0.25f, 4, 0.01f, 0.43f, 1));
        list.push_back (skewed (id (EQ_LOW_), "Track " + t + " Low", 0.25f, 4, 0.01f, 0.43f, 1));
        list.push_back (plain (id (AUX1_), "Track " + t + " Aux 1", 0, 1, 0));
        list.push_back (plain (id (AUX2_), "Track " + t + " Aux 2", 0, 1, 0));
        list.push_back (skewed (id (VOL_), "Track " + t + " Vol", 0, 2, 0, 0.4f, 1));
        list.push_back (onOff (id (MUTE_), "Track " + t + " Mute"));
        list.push_back (onOff (id (SOLO_), "Track " + t + " Solo"));
        list.push_back (plain (id (PAN_), "Track " + t + " Pan", -1, 1, 0));
        list.push_back (onOff (id (PHASE_), "Track " + t + " Phase"));
        list.push_back (choice (id (MON_), "Track " + t + " Monitor", {"IN", "TAPE"}, 0));
    }

    list.push_back (onOff (SHOW_TIPS, "Show Tooltips", true));
    list.push_back (plain (CLICK_VOL, "Click Volume", 0, 1, 0.5f));
    list.push_back (plain (SCRUB, "Tape Shuttle", 0, 1, 0.5f));
    return list;
}

class ParameterLayoutTest : public ::testing::Test
{
protected:
    TavrelDelayAudioProcessor processor;

    juce::RangedAudioParameter& parameter (const juce::String& id)
    {
        auto* p = processor.parameters.getParameter (id);
        EXPECT_NE (p, nullptr) << id;
        return *p;
    }
};
} // namespace

TEST_F (ParameterLayoutTest, HoldsTheParametersInTheirStoredOrderWithRangesDefaultsAndTexts)
{
    const auto expected = expectedLayout();
    const auto& actual = processor.getParameters();
    ASSERT_EQ ((int)expected.size(), 390);
    ASSERT_EQ (actual.size(), 390);
    EXPECT_EQ (ParameterIds::numParameters, 390);

    for (size_t i = 0; i < expected.size(); ++i)
    {
        const auto& e = expected[i];
        SCOPED_TRACE (juce::String ((int)i) + " " + e.id);
        auto* p = dynamic_cast<juce::RangedAudioParameter*> (actual[(int)i]);
        ASSERT_NE (p, nullptr);
        EXPECT_EQ (p->getParameterIndex(), (int)i);
        EXPECT_EQ (p->getParameterID(), e.id);
        EXPECT_EQ (p->getVersionHint(), 0);
        EXPECT_EQ (p->getName (100), e.name);
        EXPECT_TRUE (p->getLabel().isEmpty());

        const auto& range = p->getNormalisableRange();
        EXPECT_FLOAT_EQ (range.start, e.min);
        EXPECT_FLOAT_EQ (range.end, e.max);
        EXPECT_FLOAT_EQ (range.interval, e.interval);
        EXPECT_FLOAT_EQ (range.skew, e.skew);
        EXPECT_FALSE (range.symmetricSkew);
        EXPECT_NEAR (p->convertFrom0to1 (p->getDefaultValue()), e.def, 1.0e-5f);
        EXPECT_NEAR (processor.parameters.getRawParameterValue (e.id)->load(), e.def, 1.0e-5f);

        switch (e.kind)
        {
            case Kind::floating:
                EXPECT_NE (dynamic_cast<juce::AudioParameterFloat*> (p), nullptr);
                break;
            case Kind::integer:
                EXPECT_NE (dynamic_cast<juce::AudioParameterInt*> (p), nullptr);
                break;
            case Kind::boolean:
                EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (p), nullptr);
                break;
            case Kind::choice:
                if (auto* c = dynamic_cast<juce::AudioParameterChoice*> (p))
                    EXPECT_EQ (c->choices, e.choices);
                else
                    ADD_FAILURE() << "not a choice";
                break;
        }
    }

    // The landmarks of the order.
    EXPECT_EQ (actual[0]->getName (100), "Head Gap (ms)");
    EXPECT_EQ (actual[51]->getName (100), "Track 1 Trim");
    EXPECT_EQ (actual[64]->getName (100), "Track 1 Monitor");
    EXPECT_EQ (actual[51 + 14 * 2 + 3]->getName (100), "Track 3 Mid Freq");
    EXPECT_EQ (actual[387]->getName (100), "Show Tooltips");
    EXPECT_EQ (actual[389]->getName (100), "Tape Shuttle");
}

TEST_F (ParameterLayoutTest, ChoiceDefaultsAndTheOnlySwitchThatStartsOn)
{
    EXPECT_EQ (parameter (ParameterIds::FORMAT).getCurrentValueAsText(), "1/4 inch Home");
    EXPECT_EQ (parameter (ParameterIds::TAPE_LENGTH).getCurrentValueAsText(), "10 Minutes");
    EXPECT_EQ (parameter (ParameterIds::AUTO_SAVE_INTERVAL).getCurrentValueAsText(), "10 Minutes");
    EXPECT_EQ (parameter (ParameterIds::INT_REV_TYPE).getCurrentValueAsText(), "Plate");
    EXPECT_EQ (parameter (ParameterIds::INT_ECHO_AGE).getCurrentValueAsText(), "Worn");
    EXPECT_EQ (parameter (ParameterIds::INT_MFX_TYPE).getCurrentValueAsText(), "Phaser");
    EXPECT_EQ (parameter (ParameterIds::forTrack (ParameterIds::MON_, 24)).getCurrentValueAsText(), "IN");

    int switchesOn = 0;

    for (auto* p : processor.getParameters())
        if (dynamic_cast<juce::AudioParameterBool*> (p) != nullptr && p->getDefaultValue() > 0.5f)
            ++switchesOn;

    EXPECT_EQ (switchesOn, 1);
    EXPECT_GT (parameter (ParameterIds::SHOW_TIPS).getValue(), 0.5f);
}

TEST_F (ParameterLayoutTest, VarispeedShowsWholePercentagesAndReadsThemBack)
{
    struct ToText
    {
        float value;
        const char* text;
    };

    // Halves round to the even neighbour: 1.005 makes 100.5 in single precision, 0.055 makes 5.5.
    const ToText toText[] = {{1.0f, "100%"},   {0.05f, "5%"},  {2.0f, "200%"},
                             {1.005f, "100%"}, {0.055f, "6%"}, {0.8567f, "86%"}};

    for (const auto& c : toText)
        EXPECT_EQ (TavrelDelayAudioProcessor::varispeedToText (c.value), c.text) << c.value;

    struct FromText
    {
        const char* text;
        float value;
    };

    const FromText fromText[] = {{"85%", 0.85f}, {"85", 0.85f}, {" 120 %", 1.2f}, {"abc", 0.0f}, {"%%5%", 0.05f}};

    for (const auto& c : fromText)
        EXPECT_FLOAT_EQ (TavrelDelayAudioProcessor::varispeedFromText (c.text), c.value) << c.text;

    // Through the parameter: the text is clamped to the range and snapped to 0.001.
    auto& varispeed = parameter (ParameterIds::VARISPEED);
    EXPECT_EQ (varispeed.getCurrentValueAsText(), "100%");
    EXPECT_EQ (varispeed.getText (varispeed.getValueForText ("abc"), 0), "5%");
    EXPECT_NEAR (varispeed.convertFrom0to1 (varispeed.getValueForText ("85%")), 0.85f, 1.0e-6f);
    EXPECT_EQ (varispeed.getText (varispeed.getValueForText ("500"), 0), "200%");

    // Every other parameter keeps the framework's texts.
    EXPECT_EQ (parameter (ParameterIds::DRIVE).getCurrentValueAsText(), "2.00");
}

TEST_F (ParameterLayoutTest, FadersAreNotSnappedWhileFrequencyAndHeadGapAreWhole)
{
    struct Case
    {
        juce::String id;
        float requested, expected;
    };

    const Case cases[] = {
        {ParameterIds::MASTER_VOL, 1.23456f, 1.23456f},
        {ParameterIds::AUX1_RETURN, 0.777777f, 0.777777f},
        {ParameterIds::forTrack (ParameterIds::VOL_, 5), 1.3333333f, 1.3333333f},
        {ParameterIds::forTrack (ParameterIds::EQ_MID_FREQ_, 2), 1234.4f, 1234.0f},
        {ParameterIds::TIME, 123.6f, 124.0f},
        {ParameterIds::REC_OFFSET, -17.4f, -17.0f},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.id);
        auto& p = parameter (c.id);
        p.setValueNotifyingHost (p.convertTo0to1 (c.requested));
        EXPECT_NEAR (processor.parameters.getRawParameterValue (c.id)->load(), c.expected,
                     std::abs (c.expected) * 1.0e-5f);
    }
}
