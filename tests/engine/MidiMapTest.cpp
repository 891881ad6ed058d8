#include "engine/GlobalMidiMap.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace
{
class MidiMapTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};

    juce::File mapFile() const { return Platform::getUserDataFolder().getChildFile ("midi_map.xml"); }

    void writeMapFile (const juce::String& text) const
    {
        Platform::getUserDataFolder().createDirectory();
        mapFile().replaceWithText (text);
    }

    static std::vector<std::pair<int, juce::String>> entries (const TavrelDelayAudioProcessor& p)
    {
        return {p.midiMap.begin(), p.midiMap.end()};
    }

    static juce::MidiBuffer controller (int number, int value)
    {
        juce::MidiBuffer buffer;
        buffer.addEvent (juce::MidiMessage::controllerEvent (1, number, value), 0);
        return buffer;
    }

    static juce::MidiBuffer note (int number, bool on)
    {
        juce::MidiBuffer buffer;
        buffer.addEvent (
            on ? juce::MidiMessage::noteOn (1, number, (juce::uint8)100) : juce::MidiMessage::noteOff (1, number), 0);
        return buffer;
    }

    /** One block's MIDI step, as the block callback runs it; returns what reaches the instruments. */
    static juce::MidiBuffer dispatch (TavrelDelayAudioProcessor& p, const juce::MidiBuffer& incoming)
    {
        juce::MidiBuffer filtered;
        p.dispatchMidiMap (incoming, filtered);
        return filtered;
    }

    static float normalised (TavrelDelayAudioProcessor& p, const char* id)
    {
        return p.parameters.getParameter (id)->getValue();
    }

    /** Runs the message loop until the key learn took has been handed over and bound (its timer
        looks every few milliseconds; a busy machine may take longer), at most two seconds. */
    static void letLearnFinish (TavrelDelayAudioProcessor& p)
    {
        for (int i = 0; i < 200 && p.midiLearnTarget.isNotEmpty(); ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    }

    /** Learns key for target the way the user does: arm, move the control, and let the
        message thread take the key. */
    static void learn (TavrelDelayAudioProcessor& p, const juce::String& target, const juce::MidiBuffer& message)
    {
        p.setMidiLearnTarget (target);
        dispatch (p, message);
        letLearnFinish (p);
    }
};
} // namespace

//==============================================================================
TEST_F (MidiMapTest, TheMapFileIsReadAndWrittenInItsFormat)
{
    // Any child tag is read, entries without an id are skipped, duplicates stay, and the
    // root tag is compared ignoring case.
    writeMapFile ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<global_midi_map>\n"
                  "  <BINDING cc=\"188\" id=\"play_button\"/>\n"
                  "  <BINDING cc=\"7\" id=\"MASTER_VOL\"/>\n"
                  "  <OTHER cc=\"7\" id=\"VOL_1\"/>\n"
                  "  <BINDING cc=\"21\"/>\n"
                  "  <BINDING cc=\"x\" id=\"loop_toggle\"/>\n"
                  "  <BINDING cc=\"7\" id=\"MASTER_VOL\"/>\n"
                  "</global_midi_map>\n");

    TavrelDelayAudioProcessor p;
    const std::vector<std::pair<int, juce::String>> expected{
        {0, "loop_toggle"}, {7, "MASTER_VOL"}, {7, "VOL_1"}, {7, "MASTER_VOL"}, {188, "play_button"}};
    EXPECT_EQ (entries (p), expected);

    p.saveGlobalMidiMap();
    const auto text = mapFile().loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_TRUE (text.contains ("\r\n<GLOBAL_MIDI_MAP>\r\n"));

    const auto xml = juce::parseXML (mapFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "GLOBAL_MIDI_MAP");
    ASSERT_EQ (xml->getNumChildElements(), 5);

    int index = 0;

    for (const auto* binding : xml->getChildIterator())
    {
        EXPECT_EQ (binding->getTagName(), "BINDING");
        EXPECT_EQ (binding->getNumAttributes(), 2);
        EXPECT_EQ (binding->getIntAttribute ("cc", -1), expected[(size_t)index].first);
        EXPECT_EQ (binding->getStringAttribute ("id"), expected[(size_t)index].second);
        ++index;
    }

    // Read back by a later start, the map is the same.
    TavrelDelayAudioProcessor later;
    EXPECT_EQ (entries (later), expected);
}

TEST_F (MidiMapTest, AMissingOrForeignFileGivesAnEmptyMap)
{
    for (const auto* text : {"", "not xml at all <", "<MIDI_MAP><BINDING cc=\"7\" id=\"MASTER_VOL\"/></MIDI_MAP>"})
    {
        SCOPED_TRACE (text);
        mapFile().deleteRecursively();

        if (juce::String (text).isNotEmpty())
            writeMapFile (text);

        TavrelDelayAudioProcessor p;
        EXPECT_TRUE (p.midiMap.empty());
    }

    // A folder in the file's place is no map either.
    mapFile().deleteFile();
    mapFile().createDirectory();
    TavrelDelayAudioProcessor p;
    EXPECT_TRUE (p.midiMap.empty());
}

TEST_F (MidiMapTest, LearnBindsTheNextControllerOrNoteAndSavesTheMap)
{
    TavrelDelayAudioProcessor p;

    p.setMidiLearnTarget ("VARISPEED");
    EXPECT_TRUE (p.midiLearnArmed);
    EXPECT_EQ (p.midiLearnTarget, "VARISPEED");

    // The audio thread only takes the key: learn is disarmed at once, the map and the file
    // change on the message thread.
    const auto passed = dispatch (p, controller (20, 90));
    EXPECT_FALSE (p.midiLearnArmed);
    EXPECT_TRUE (passed.isEmpty());
    EXPECT_TRUE (p.midiMap.empty());
    EXPECT_FALSE (mapFile().exists());

    letLearnFinish (p);
    EXPECT_EQ (entries (p), (std::vector<std::pair<int, juce::String>>{{20, "VARISPEED"}}));
    EXPECT_TRUE (p.midiLearnTarget.isEmpty());
    ASSERT_TRUE (mapFile().existsAsFile());
    EXPECT_TRUE (mapFile().loadFileAsString().contains ("cc=\"20\" id=\"VARISPEED\""));

    // The binding drives the parameter: value / 127 as a normalised value.
    dispatch (p, controller (20, 127));
    EXPECT_FLOAT_EQ (normalised (p, ParameterIds::VARISPEED), 1.0f);
    dispatch (p, controller (20, 0));
    EXPECT_FLOAT_EQ (normalised (p, ParameterIds::VARISPEED), 0.0f);

    // A note is bound under 128 + its number, and still reaches the instruments.
    p.setMidiLearnTarget ("MASTER_VOL");
    const auto notePassed = dispatch (p, note (60, true));
    EXPECT_EQ (notePassed.getNumEvents(), 1);
    p.globalMidiMap.handleCapturedKeys();
    EXPECT_EQ (p.midiMap.count (188), 1u);
    EXPECT_EQ (p.midiMap.find (188)->second, "MASTER_VOL");
}

TEST_F (MidiMapTest, TheModulationWheelAndSustainPedalCancelLearnAndAreNeverBound)
{
    TavrelDelayAudioProcessor p;

    for (int key : {1, 64})
    {
        SCOPED_TRACE (key);
        learn (p, "VARISPEED", controller (key, 100));

        EXPECT_FALSE (p.midiLearnArmed);
        EXPECT_FALSE (p.globalMidiMap.isArmed());
        EXPECT_TRUE (p.midiLearnTarget.isEmpty());
        EXPECT_TRUE (p.midiMap.empty());
        EXPECT_FALSE (mapFile().exists());

        // Not armed any more: the next controller binds nothing.
        dispatch (p, controller (20, 100));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        EXPECT_TRUE (p.midiMap.empty());
    }

    // Cancelling by hand does the same.
    p.setMidiLearnTarget ("VARISPEED");
    p.clearMidiLearnTarget();
    EXPECT_FALSE (p.midiLearnArmed);
    dispatch (p, controller (20, 100));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    EXPECT_TRUE (p.midiMap.empty());
}

TEST_F (MidiMapTest, OneKeyDrivesSeveralTargetsAndAPairIsBoundOnce)
{
    TavrelDelayAudioProcessor p;
    learn (p, ParameterIds::MASTER_VOL, controller (7, 10));
    learn (p, "VOL_2", controller (7, 10));
    EXPECT_EQ (p.midiMap.count (7), 2u);

    // Learning the same pair again adds nothing but writes the file again.
    mapFile().deleteFile();
    learn (p, ParameterIds::MASTER_VOL, controller (7, 10));
    EXPECT_EQ (p.midiMap.count (7), 2u);
    EXPECT_TRUE (mapFile().existsAsFile());

    // Re-arming replaces the target.
    p.setMidiLearnTarget ("VOL_3");
    learn (p, "VOL_4", controller (9, 10));
    EXPECT_EQ (p.midiMap.find (9)->second, "VOL_4");

    dispatch (p, controller (7, 127));
    EXPECT_FLOAT_EQ (normalised (p, ParameterIds::MASTER_VOL), 1.0f);
    EXPECT_FLOAT_EQ (normalised (p, "VOL_2"), 1.0f);
}

TEST_F (MidiMapTest, CommandsRunOnValuesOf64AndAboveAndControllersNeverReachTheInstruments)
{
    TavrelDelayAudioProcessor p;
    p.midiMap = {{30, "ARM_3"}, {188, "ARM_1"}, {31, "ARM_9"}, {32, "no_such_thing"}, {33, "ARM_8"}};
    p.saveGlobalMidiMap();

    const auto armed = [&p] (int track) { return p.tracks[(size_t)track - 1].isArmed(); };
    const bool start3 = armed (3), start1 = armed (1), start8 = armed (8);

    dispatch (p, controller (30, 63));
    EXPECT_EQ (armed (3), start3);
    dispatch (p, controller (30, 64));
    EXPECT_NE (armed (3), start3);

    // A note bound to a command acts on its note-on only.
    dispatch (p, note (60, true));
    EXPECT_NE (armed (1), start1);
    dispatch (p, note (60, false));
    EXPECT_NE (armed (1), start1);

    // Track 8 is the last that MIDI arms; names that name nothing do nothing.
    dispatch (p, controller (33, 127));
    EXPECT_NE (armed (8), start8);
    dispatch (p, controller (31, 127));
    dispatch (p, controller (32, 127));

    juce::MidiBuffer mixed;
    mixed.addEvent (juce::MidiMessage::controllerEvent (1, 30, 0), 0);
    mixed.addEvent (juce::MidiMessage::controllerEvent (1, 74, 50), 1);
    mixed.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8)90), 2);
    mixed.addEvent (juce::MidiMessage::pitchWheel (1, 9000), 3);
    mixed.addEvent (juce::MidiMessage::noteOff (1, 64), 4);
    const juce::uint8 sysex[] = {0xf0, 0x7e, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0xf7};
    mixed.addEvent (sysex, (int)sizeof (sysex), 5);

    const auto passed = dispatch (p, mixed);
    std::vector<int> positions;

    for (const auto metadata : passed)
    {
        EXPECT_FALSE (metadata.getMessage().isController());
        positions.push_back (metadata.samplePosition);
    }

    EXPECT_EQ (positions, (std::vector<int>{2, 3, 4, 5}));
}

TEST_F (MidiMapTest, TheClickToggleRunsOnTheMessageThread)
{
    TavrelDelayAudioProcessor p;
    p.midiMap = {{40, "click_toggle"}};
    p.saveGlobalMidiMap();
    p.bpm = 0.0; // as an odd reel might leave it
    p.timeSigNumerator = 0;

    dispatch (p, controller (40, 127));
    EXPECT_EQ (p.clickTrack, nullptr);

    for (int i = 0; i < 200 && p.clickTrack == nullptr; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    ASSERT_NE (p.clickTrack, nullptr);
    EXPECT_EQ (p.bpm, 120.0);
    EXPECT_EQ (p.timeSigNumerator, 4);

    dispatch (p, controller (40, 127));

    for (int i = 0; i < 200 && p.clickTrack != nullptr; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_EQ (p.clickTrack, nullptr);
}

//==============================================================================
namespace
{
class MidiInstrumentTest : public MidiMapTest
{
protected:
    TavrelDelayAudioProcessor p;

    void SetUp() override
    {
        // Slots: 0 poly, 1 mono, 2 poly, 3 rhythm, 4 slide, 5 stage keyboard, 6 empty.
        for (int type : {3, 1, 3, 2, 4, 5})
        {
            auto slot = makeInstrumentPlugin();
            slot->builtInType = type;
            slot->createEngine (48000.0);
            p.instruments.push_back (slot);
        }

        p.instruments.push_back (nullptr);
    }
};
} // namespace

TEST_F (MidiInstrumentTest, InstrumentBindingsReachTheKeyboardSlotOrEverySlotOfTheType)
{
    p.midiMap = {{50, "INST_3_PMOD_FA"}, {51, "INST_2_V_3"}, {52, "INST_5_TREMRATE"}};
    p.saveGlobalMidiMap();

    // The keyboards play slot 2, a poly synthesizer: only it follows.
    p.keyboardTargetSlot = 2;
    dispatch (p, controller (50, 127));
    EXPECT_FLOAT_EQ (p.instruments[2]->polyEngine->polyModFEnvFreqA, 24.0f);
    EXPECT_FLOAT_EQ (p.instruments[0]->polyEngine->polyModFEnvFreqA, 0.0f);
    EXPECT_FLOAT_EQ (p.instruments[2]->polyEngine->fEnvA, 5.0f); // "PMOD_FA" is not the envelope's "FA"

    // The keyboards play the mono synthesizer: every poly synthesizer follows.
    p.keyboardTargetSlot = 1;
    p.clearUnsavedChanges();
    dispatch (p, controller (50, 0));
    EXPECT_FLOAT_EQ (p.instruments[0]->polyEngine->polyModFEnvFreqA, 0.0f);
    EXPECT_FLOAT_EQ (p.instruments[2]->polyEngine->polyModFEnvFreqA, 0.0f);
    EXPECT_TRUE (p.hasUnsavedChanges());

    p.keyboardTargetSlot = -1;
    dispatch (p, controller (51, 127));
    EXPECT_FLOAT_EQ (p.instruments[3]->rhythmEngine->voiceLevel[3], 1.0f);
    dispatch (p, controller (51, 0));
    EXPECT_FLOAT_EQ (p.instruments[3]->rhythmEngine->voiceLevel[3], 0.0f);
    EXPECT_FLOAT_EQ (p.instruments[3]->rhythmEngine->voiceLevel[2], 1.0f);

    dispatch (p, controller (52, 127));
    EXPECT_FLOAT_EQ (p.instruments[5]->keyboardEngine->tremRate, 15.0f);

    // Removing an instrument from the rack takes its bindings with it, and only its own.
    p.midiMap.emplace (53, "INST_30_VOL");
    p.eraseInstrumentMidiBindings (3);
    EXPECT_EQ (entries (p), (std::vector<std::pair<int, juce::String>>{
                                {51, "INST_2_V_3"}, {52, "INST_5_TREMRATE"}, {53, "INST_30_VOL"}}));
    EXPECT_FALSE (mapFile().loadFileAsString().contains ("INST_3_"));
}

TEST_F (MidiInstrumentTest, EachInstrumentSettingTakesItsRangeFromTheControllerValue)
{
    auto& poly = *p.instruments[0]->polyEngine;
    auto& mono = *p.instruments[1]->monoEngine;
    auto& rhythm = *p.instruments[3]->rhythmEngine;
    auto& slide = *p.instruments[4]->tannerinEngine;
    auto& keys = *p.instruments[5]->keyboardEngine;

    const auto skewed = [] (float a, float b, float v) { return a + (b - a) * std::pow (v, 1.0f / 0.3f); };

    struct Case
    {
        int slot;
        const char* name;
        float value;
        std::function<float()> setting;
        float expected;
    };

    const Case cases[] = {
        {1, "OCTAVE", 0.0f, [&] { return (float)mono.globalOctave; }, -3.0f},
        {1, "OCTAVE", 0.1f, [&] { return (float)mono.globalOctave; }, -2.0f}, // truncated toward zero
        {1, "TUNE2", 0.25f, [&] { return mono.osc2Tune; }, -12.0f},
        {1, "WAVE1", 0.99f, [&] { return (float)mono.osc1Wave; }, 1.0f},
        {1, "LFOTARGET", 0.99f, [&] { return (float)mono.lfoTarget; }, 0.0f},
        {1, "LFOTARGET", 1.0f, [&] { return (float)mono.lfoTarget; }, 1.0f},
        {1, "LFORATE", 0.5f, [&] { return mono.lfoRate; }, 25.05f},
        {1, "CUTOFF", 0.5f, [&] { return mono.synthCutoff; }, skewed (20.0f, 20000.0f, 0.5f)},
        {1, "AA", 0.7f, [&] { return mono.aEnvA; }, skewed (2.0f, 5000.0f, 0.7f)},
        {1, "FS", 0.3f, [&] { return mono.fEnvS; }, 0.3f},
        {3, "BPM", 0.5f, [&] { return rhythm.rmBpm; }, 140.0f},
        {3, "STEPS", 0.5f, [&] { return (float)rhythm.rmSeqLen; }, 8.0f},
        {3, "PLAY", 0.6f, [&] { return rhythm.playing ? 1.0f : 0.0f; }, 1.0f},
        {3, "SYNC", 0.4f, [&] { return rhythm.rmSync ? 1.0f : 0.0f; }, 0.0f},
        {3, "T_9", 1.0f, [&] { return rhythm.voiceTune[9]; }, 12.0f},
        {3, "L_0", 0.25f, [&] { return rhythm.voiceLength[0]; }, 0.25f},
        {3, "V_12", 0.0f, [&] { return rhythm.voiceLevel[1]; }, 1.0f}, // no voice 12: nothing changes
        {0, "VOL", 0.75f, [&] { return poly.masterVol; }, 1.5f},
        {0, "O1OCT", 0.0f, [&] { return (float)poly.osc1Octave; }, -2.0f},
        {0, "O1PW", 1.0f, [&] { return poly.osc1PW; }, 0.95f},
        {0, "O2MODE", 0.4f, [&] { return (poly.osc2LfoMode ? 2.0f : 0.0f) + (poly.osc2KeyTrack ? 1.0f : 0.0f); }, 3.0f},
        {0, "O2MODE", 0.7f, [&] { return (poly.osc2LfoMode ? 2.0f : 0.0f) + (poly.osc2KeyTrack ? 1.0f : 0.0f); }, 0.0f},
        {0, "O2MODE", 1.0f, [&] { return (poly.osc2LfoMode ? 2.0f : 0.0f) + (poly.osc2KeyTrack ? 1.0f : 0.0f); }, 2.0f},
        {0, "LFOTARGET", 0.6f, [&] { return (float)poly.lfoTarget; }, 1.0f},
        {0, "LFORATE", 1.0f, [&] { return poly.lfoRate; }, 50.0f},
        {0, "PMOD_PW", 0.4f, [&] { return poly.polyModOscBPW; }, 0.4f},
        {0, "TRACK", 0.2f, [&] { return poly.filterKeyTrack; }, 0.2f},
        {4, "SLIDE", 0.5f, [&] { return slide.slidePitch; }, 60.0f},
        {4, "LFOAMT", 0.5f, [&] { return slide.lfoAmt; }, 1.0f},
        {4, "FILTTYPE", 0.6f, [&] { return (float)slide.filterType; }, 1.0f},
        {4, "AR", 0.5f, [&] { return slide.aEnvR; }, skewed (10.0f, 2000.0f, 0.5f)},
        {5, "BASS", 0.25f, [&] { return keys.bass; }, -0.5f},
        {5, "VOL", 0.5f, [&] { return keys.masterVol; }, 1.0f},
        {5, "CUTOFF", 1.0f, [&] { return keys.masterVol; }, 1.0f}, // not a setting of the keyboard
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.slot) + " " + c.name + " " + juce::String (c.value));
        p.setInstrumentParameterFromMidi (c.slot, c.name, c.value);
        EXPECT_NEAR (c.setting(), c.expected, 1.0e-3f * std::max (1.0f, std::abs (c.expected)));
    }

    // Slots that hold no instrument, or do not exist, are left alone.
    p.setInstrumentParameterFromMidi (6, "VOL", 1.0f);
    p.setInstrumentParameterFromMidi (7, "VOL", 1.0f);
    p.setInstrumentParameterFromMidi (-1, "VOL", 1.0f);
}

//==============================================================================
TEST_F (MidiMapTest, ClearingTheMapEmptiesTheFileAndStopsTheBindings)
{
    TavrelDelayAudioProcessor p;
    learn (p, ParameterIds::MASTER_VOL, controller (7, 10));
    dispatch (p, controller (7, 0));

    p.clearMidiMap();
    EXPECT_TRUE (p.midiMap.empty());
    const auto xml = juce::parseXML (mapFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getNumChildElements(), 0);

    dispatch (p, controller (7, 127));
    EXPECT_FLOAT_EQ (normalised (p, ParameterIds::MASTER_VOL), 0.0f);
}

TEST (GlobalMidiMapTest, TheAudioThreadReadsWhileTheMapIsReplaced)
{
    // The audio thread walks the published table while the message thread replaces it over
    // and over; a table freed too early would be read after its release.
    std::atomic<bool> armed{false};
    GlobalMidiMap map (armed, nullptr);
    juce::AudioParameterFloat parameter ("P", "P", 0.0f, 1.0f, 0.5f);
    const auto find = [&] (const juce::String& id) -> juce::AudioProcessorParameter*
    { return id == "P" ? &parameter : nullptr; };

    std::atomic<bool> done{false};
    std::atomic<int> badTargets{0};
    std::atomic<long> reads{0};

    std::thread audio (
        [&]
        {
            while (! done)
            {
                const GlobalMidiMap::ScopedReader reader (map);

                for (int key = 0; key < GlobalMidiMap::numKeys; ++key)
                    for (auto* t = reader.begin (key); t != reader.end (key); ++t)
                        if (t->kind != GlobalMidiMap::Kind::parameter || t->parameter != &parameter)
                            ++badTargets;

                ++reads;
            }
        });

    while (reads == 0)
        std::this_thread::yield();

    for (int round = 0; round < 2000; ++round)
    {
        GlobalMidiMap::Bindings bindings;

        for (int key = 0; key < 1 + round % 40; ++key)
            bindings.emplace ((key * 7 + round) % 256, "P");

        map.publish (bindings, find);
    }

    done = true;
    audio.join();
    EXPECT_EQ (badTargets, 0);
}
