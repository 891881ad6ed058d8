#include "effects/BuiltInEffects.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/TannerinEngine.h"
#include "storage/RackStateXml.h"
#include "storage/StateXmlIds.h"
#include "tests/state/StateTestSupport.h"

#include <thread>

using namespace StateTestSupport;
namespace Ids = StateXmlIds;

namespace
{
class RackStateTest : public ProcessorStateTest
{
protected:
    TavrelDelayAudioProcessor processor;

    /** Fills every kind of slot and routing so that a restore has something to replace. */
    void fillSetUp()
    {
        auto instrument = makeInstrumentPlugin();
        instrument->builtInType = BuiltInInstruments::MonoSynth;
        instrument->createEngine (44100.0);
        processor.instruments.push_back (instrument);

        for (auto* chain : {&processor.inputInserts, &processor.trackInserts, &processor.masterInserts})
        {
            auto entry = makeInsertPlugin();
            entry->builtInType = LineAmp;
            entry->createEngine (44100.0);
            chain->push_back (entry);
        }

        processor.aux1CustomPath = "/plugins/Old.vst3";
        processor.trackInputSources.fill (3);

        for (auto& group : processor.channelGroups)
            group = 2;
    }

    void restore (const juce::String& text)
    {
        const auto rack = parse (text);
        ASSERT_NE (rack, nullptr);
        processor.restoreRackState (*rack);
    }
};
} // namespace

TEST_F (RackStateTest, AnEmptySetUpWritesTheStoredLayoutExactly)
{
    const auto rack = processor.createRackStateXml();
    ASSERT_NE (rack, nullptr);

    EXPECT_EQ (rack->getTagName(), Ids::RACK_STATE);
    EXPECT_EQ (attributeNames (*rack), juce::StringArray (Ids::aux1BuiltIn, Ids::aux2BuiltIn));
    EXPECT_EQ (rack->getStringAttribute (Ids::aux1BuiltIn), "1");
    EXPECT_EQ (rack->getStringAttribute (Ids::aux2BuiltIn), "2");
    EXPECT_EQ (childTags (*rack), juce::StringArray (Ids::INSTRUMENTS, Ids::INSERTS, Ids::TRACK_INSERTS,
                                                     Ids::MASTER_INSERTS, Ids::ROUTING));

    for (auto* list : rack->getChildIterator())
    {
        if (list->getTagName() != Ids::ROUTING)
        {
            EXPECT_EQ (list->getNumChildElements(), 0) << list->getTagName();
        }
    }

    // 24 pairs whatever the reel's track count, each track before its group.
    const auto* routing = rack->getChildByName (Ids::ROUTING);
    ASSERT_EQ (routing->getNumAttributes(), 48);

    for (int i = 0; i < 24; ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (routing->getAttributeName (2 * i), Ids::trackPrefix + juce::String (i));
        EXPECT_EQ (routing->getAttributeValue (2 * i), "-1");
        EXPECT_EQ (routing->getAttributeName (2 * i + 1), Ids::groupPrefix + juce::String (i));
        EXPECT_EQ (routing->getAttributeValue (2 * i + 1), "0");
    }
}

TEST_F (RackStateTest, RestoringAnEmptySetUpEmptiesEverySlotAndTheRouting)
{
    fillSetUp();
    TavrelDelayAudioProcessor empty;
    const auto rack = throughText (*empty.createRackStateXml());

    processor.restoreRackState (*rack);

    EXPECT_TRUE (processor.instruments.empty());
    EXPECT_TRUE (processor.inputInserts.empty());
    EXPECT_TRUE (processor.trackInserts.empty());
    EXPECT_TRUE (processor.masterInserts.empty());
    EXPECT_EQ (processor.aux1Plugin, nullptr);
    EXPECT_TRUE (processor.aux1CustomPath.isEmpty()) << "an aux return without a plug-in shows as empty";
    EXPECT_EQ (processor.aux1BuiltIn, 1);
    EXPECT_EQ (processor.aux2BuiltIn, 2);

    for (int i = 0; i < 24; ++i)
    {
        EXPECT_EQ (processor.trackInputSources[(size_t)i], -1);
        EXPECT_EQ (processor.channelGroups[(size_t)i], 0);
    }
}

TEST_F (RackStateTest, MissingPartsTakeTheirFallbacks)
{
    fillSetUp();
    restore ("<RACK_STATE/>");

    // No lists: empty chains and no instruments; no aux attributes: no built-in aux effect.
    EXPECT_TRUE (processor.instruments.empty());
    EXPECT_TRUE (processor.inputInserts.empty());
    EXPECT_TRUE (processor.masterInserts.empty());
    EXPECT_EQ (processor.aux1BuiltIn, 0);
    EXPECT_EQ (processor.aux2BuiltIn, 0);

    // No ROUTING: the previous routing and groups stay.
    EXPECT_EQ (processor.trackInputSources[5], 3);
    EXPECT_EQ (processor.channelGroups[5], 2);
}

TEST_F (RackStateTest, ElementNamesMatchInAnyCaseAttributeNamesOnlyExactly)
{
    restore ("<RACK_STATE><routing track_0=\"3\" Track_1=\"5\" group_0=\"4\"/></RACK_STATE>");

    EXPECT_EQ (processor.trackInputSources[0], 3);
    EXPECT_EQ (processor.trackInputSources[1], -1);
    EXPECT_EQ (processor.channelGroups[0], 4);
    EXPECT_EQ (processor.channelGroups[1], 0);
}

TEST_F (RackStateTest, TheAuxReturnGroupsAreNeitherWrittenNorRestored)
{
    processor.channelGroups[24] = 3;
    processor.channelGroups[25] = 7;
    const auto rack = throughText (*processor.createRackStateXml());

    processor.channelGroups[24] = 1;
    processor.channelGroups[25] = 1;
    processor.restoreRackState (*rack);

    EXPECT_EQ (processor.channelGroups[24], 1);
    EXPECT_EQ (processor.channelGroups[25], 1);
}

TEST_F (RackStateTest, RoutingSurvivesASaveAndRestore)
{
    const int sources[] = {-1, 0, 23, 100, 115, 200, 223, 300, 301, 302, 303, 7};

    for (int i = 0; i < 24; ++i)
    {
        processor.trackInputSources[(size_t)i] = sources[i % 12];
        processor.channelGroups[(size_t)i] = i % 9;
    }

    const auto rack = throughText (*processor.createRackStateXml());
    TavrelDelayAudioProcessor second;
    second.restoreRackState (*rack);

    for (int i = 0; i < 24; ++i)
    {
        EXPECT_EQ (second.trackInputSources[(size_t)i], sources[i % 12]) << i;
        EXPECT_EQ (second.channelGroups[(size_t)i], i % 9) << i;
    }
}

TEST_F (RackStateTest, DamagedRoutingValuesReadAsNoneInsteadOfIndexingAnything)
{
    struct Case
    {
        const char* track;
        int expectedSource;
        const char* group;
        int expectedGroup;
    };

    const Case cases[] = {
        {"24", -1, "9", 0},    {"99", -1, "-1", 0},  {"116", -1, "8", 8}, {"224", -1, "100", 0},
        {"304", -1, "abc", 0}, {"-2", -1, "1", 1},   {"115", 115, "", 0}, {"99999999999", -1, "4294967297", 0},
        {"abc", 0, "0", 0},    {"303", 303, "2", 2},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.track) + " / " + c.group);
        restore (juce::String ("<RACK_STATE><ROUTING track_0=\"") + c.track + "\" group_0=\"" + c.group +
                 "\"/></RACK_STATE>");
        EXPECT_EQ (processor.trackInputSources[0], c.expectedSource);
        EXPECT_EQ (processor.channelGroups[0], c.expectedGroup);
    }
}

TEST_F (RackStateTest, InstrumentSlotsReadFromAFileStopAtEight)
{
    juce::String text ("<RACK_STATE builtInInstrument=\"1\"><INSTRUMENTS>");

    for (int i = 0; i < 12; ++i)
        text << "<BUILTIN_INSTRUMENT type=\"5\" midiChannel=\"" << (i % 16 + 1) << "\"/>";

    restore (text + "</INSTRUMENTS><INSTRUMENT/></RACK_STATE>");

    ASSERT_EQ (processor.instruments.size(), 8u);

    for (size_t i = 0; i < 8; ++i)
    {
        EXPECT_EQ (processor.instruments[i]->builtInType, BuiltInInstruments::StageKeyboard);
        EXPECT_EQ (processor.instruments[i]->midiChannel, (int)i + 1);
    }
}

TEST_F (RackStateTest, OlderSingleInstrumentForms)
{
    restore ("<RACK_STATE builtInInstrument=\"0\"/>");
    EXPECT_TRUE (processor.instruments.empty());

    restore ("<RACK_STATE builtInInstrument=\"9\"/>");
    EXPECT_TRUE (processor.instruments.empty()) << "a type that names no instrument adds no slot";

    restore ("<RACK_STATE builtInInstrument=\"4\"/>");
    ASSERT_EQ (processor.instruments.size(), 1u);
    const auto& slide = *processor.instruments[0];
    EXPECT_EQ (slide.builtInType, BuiltInInstruments::Tannerin);
    ASSERT_NE (slide.tannerinEngine, nullptr);
    EXPECT_EQ (slide.tannerinEngine->slidePitch, 60.0f) << "the engine's own defaults";
    EXPECT_EQ (slide.name, BuiltInInstruments::tannerinName);
    EXPECT_EQ (slide.presetName, "Default");
    EXPECT_EQ (slide.midiChannel, 0);

    // A direct hosted child wins over the attribute and follows the list's slots.
    restore ("<RACK_STATE builtInInstrument=\"1\"><INSTRUMENTS><BUILTIN_INSTRUMENT type=\"3\" midiChannel=\"2\"/>"
             "</INSTRUMENTS><INSTRUMENT midiChannel=\"5\"/></RACK_STATE>");
    ASSERT_EQ (processor.instruments.size(), 2u);
    EXPECT_EQ (processor.instruments[0]->builtInType, BuiltInInstruments::PolySynth);
    EXPECT_EQ (processor.instruments[1]->builtInType, 0);
    EXPECT_EQ (processor.instruments[1]->name, Ids::loadingName);
    EXPECT_EQ (processor.instruments[1]->midiChannel, 0) << "the older child's channel is not read";
}

TEST_F (RackStateTest, HostedSlotsShowTheirStoredDescriptionUntilThePluginArrives)
{
    restore (
        "<RACK_STATE><INSTRUMENTS>"
        "<INSTRUMENT midiChannel=\"3\"><PLUGIN_DESC name=\"Keys\" format=\"VST3\" category=\"Instrument\" "
        "manufacturer=\"M\" version=\"1\" file=\"/p/Keys.vst3\" uniqueId=\"1\" isInstrument=\"1\" "
        "numInputs=\"0\" numOutputs=\"2\"/></INSTRUMENT>"
        "<INSTRUMENT customPath=\"/elsewhere/Keys.vst3\"/>"
        "</INSTRUMENTS><TRACK_INSERTS><TRACK_PLUGIN targetTrack=\"4\" bypass=\"1\"/></TRACK_INSERTS></RACK_STATE>");

    ASSERT_EQ (processor.instruments.size(), 2u);
    EXPECT_EQ (processor.instruments[0]->name, "Keys");
    EXPECT_EQ (processor.instruments[0]->customPath, "/p/Keys.vst3");
    EXPECT_EQ (processor.instruments[0]->midiChannel, 3);
    EXPECT_EQ (processor.instruments[0]->instance, nullptr);
    EXPECT_EQ (processor.instruments[1]->name, Ids::loadingName);
    EXPECT_EQ (processor.instruments[1]->customPath, "/elsewhere/Keys.vst3");

    ASSERT_EQ (processor.trackInserts.size(), 1u);
    EXPECT_EQ (processor.trackInserts[0]->builtInType, 0);
    EXPECT_EQ (processor.trackInserts[0]->name, Ids::loadingName);
    EXPECT_EQ (processor.trackInserts[0]->targetTrack, 4);
    EXPECT_TRUE (processor.trackInserts[0]->bypass);

    // A slot still waiting for its plug-in keeps its element in the reel.
    const auto rack = processor.createRackStateXml();
    EXPECT_EQ (rack->getChildByName (Ids::INSTRUMENTS)->getNumChildElements(), 2);
    EXPECT_EQ (rack->getChildByName (Ids::TRACK_INSERTS)->getNumChildElements(), 1);
}

TEST_F (RackStateTest, InstrumentSlotsEndWithTheirMidiChannel)
{
    auto slot = makeInstrumentPlugin();
    slot->builtInType = BuiltInInstruments::StageKeyboard;
    slot->createEngine (44100.0);
    slot->midiChannel = 11;
    processor.instruments.push_back (slot);
    processor.instruments.push_back (makeInstrumentPlugin()); // neither hosted nor built in: not written

    const auto rack = throughText (*processor.createRackStateXml());
    const auto* list = rack->getChildByName (Ids::INSTRUMENTS);
    ASSERT_EQ (list->getNumChildElements(), 1);
    const auto names = attributeNames (*list->getChildElement (0));
    EXPECT_EQ (names[names.size() - 1], Ids::midiChannel);

    for (const auto& [text, expected] : {std::pair{"11", 11}, {"16", 16}, {"17", 0}, {"-1", 0}, {"x", 0}})
    {
        SCOPED_TRACE (text);
        list->getChildElement (0)->setAttribute (Ids::midiChannel, juce::String (text));
        TavrelDelayAudioProcessor second;
        second.restoreRackState (*rack);
        ASSERT_EQ (second.instruments.size(), 1u);
        EXPECT_EQ (second.instruments[0]->midiChannel, expected);
    }
}

TEST_F (RackStateTest, AuxReturnAttributes)
{
    processor.aux1BuiltIn = 2;
    processor.aux2BuiltIn = 0;
    const auto rack = throughText (*processor.createRackStateXml());
    TavrelDelayAudioProcessor second;
    second.restoreRackState (*rack);
    EXPECT_EQ (second.aux1BuiltIn, 2);
    EXPECT_EQ (second.aux2BuiltIn, 0);

    restore ("<RACK_STATE aux1BuiltIn=\"-7\" aux2BuiltIn=\"123456\"/>");
    EXPECT_EQ (processor.aux1BuiltIn, 0);
    EXPECT_EQ (processor.aux2BuiltIn, 0);

    // An aux element whose plug-in cannot be made leaves the return empty, not loading.
    restore ("<RACK_STATE><AUX1 customPath=\"/nowhere/Verb.vst3\"/></RACK_STATE>");
    EXPECT_EQ (processor.aux1Plugin, nullptr);
    EXPECT_TRUE (processor.aux1CustomPath.isEmpty());
}

TEST_F (RackStateTest, RestoringResumesOnlyTheProcessingItSuspendedItself)
{
    const auto rack = processor.createRackStateXml();

    processor.restoreRackState (*rack);
    EXPECT_FALSE (processor.isSuspended());

    // A reel load suspends processing around the whole load and resumes it itself.
    processor.suspendProcessing (true);
    processor.restoreRackState (*rack);
    EXPECT_TRUE (processor.isSuspended());
    processor.suspendProcessing (false);
}

TEST_F (RackStateTest, TheWriterNeverWaitsForTheAudioLock)
{
    // The message thread, where the slot lists change, writes the rack without the audio lock:
    // a block callback would otherwise output silence while plug-ins write their state.
    juce::WaitableEvent held, release;
    std::atomic<bool> releasedInTime{false};
    std::thread audio (
        [&]
        {
            const juce::ScopedLock lock (processor.audioLock);
            held.signal();
            releasedInTime = release.wait (2000);
        });
    held.wait();

    const auto rack = processor.createRackStateXml();
    release.signal();
    audio.join();

    EXPECT_NE (rack, nullptr);
    EXPECT_TRUE (releasedInTime) << "the writer waited for the audio lock";
}
