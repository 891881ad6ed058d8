#include "storage/PluginXml.h"
#include "storage/StateXmlIds.h"
#include "tests/hosting/HostingTestSupport.h"

#include <array>

// Hosted plug-ins in the stored rack: the element of a live plug-in (description, path, state),
// its asynchronous re-creation into every kind of slot, and what a save writes for a slot whose
// plug-in has not arrived or never will.

namespace
{
using Processor = TavrelDelayAudioProcessor;
namespace Ids = StateXmlIds;

/** One hosted place of the rack, seen the same way whatever its kind. */
struct Place
{
    const char* what;
    juce::AudioPluginInstance* (*instance) (Processor&);
    juce::String (*path) (Processor&);
};

template <typename Slot> Slot* firstOf (std::vector<std::shared_ptr<Slot>>& list)
{
    return list.empty() ? nullptr : list.front().get();
}

const std::array<Place, 6> places{{
    {"record path", [] (Processor& p) { return firstOf (p.inputInserts)->instance.get(); },
     [] (Processor& p) { return firstOf (p.inputInserts)->customPath; }},
    {"track chain", [] (Processor& p) { return firstOf (p.trackInserts)->instance.get(); },
     [] (Processor& p) { return firstOf (p.trackInserts)->customPath; }},
    {"master chain", [] (Processor& p) { return firstOf (p.masterInserts)->instance.get(); },
     [] (Processor& p) { return firstOf (p.masterInserts)->customPath; }},
    {"aux return 1", [] (Processor& p) { return p.aux1Plugin.get(); }, [] (Processor& p) { return p.aux1CustomPath; }},
    {"aux return 2", [] (Processor& p) { return p.aux2Plugin.get(); }, [] (Processor& p) { return p.aux2CustomPath; }},
    {"instrument slot", [] (Processor& p) { return firstOf (p.instruments)->instance.get(); },
     [] (Processor& p) { return firstOf (p.instruments)->customPath; }},
}};

class HostedPluginElement : public HostingTest
{
protected:
    /** A processor as after the program started again, allowed the test plug-ins' folder. */
    static std::unique_ptr<Processor> makeProcessor (double rate = 44100.0, int block = 512)
    {
        auto p = std::make_unique<Processor>();
        p->pluginLoadPolicy.standardFolders = {TestPlugins::folder()};
        p->setRateAndBufferSizeDetails (rate, block);
        return p;
    }

    /** The plug-in of kind in every place of the fixture's processor, with its settings: the
        record-path insert feeds track 3, the track insert serves track 6 and is bypassed, the
        instrument listens on channel 7. */
    void fillEveryPlace (Kind kind)
    {
        const auto description = describe (kind);
        processor->addInputInsertPlugin (description);
        processor->addTrackInsertPlugin (description, 5);
        processor->addMasterInsertPlugin (description);
        processor->loadAuxPlugin (0, description);
        processor->loadAuxPlugin (1, description);
        processor->addInstrumentPlugin (description);
        ASSERT_TRUE (waitForCreations());

        processor->setInputInsertTarget (0, 2);
        processor->setTrackInsertBypass (0, true);
        processor->setInstrumentMidiChannel (0, 7);
    }

    static float levelOf (juce::AudioPluginInstance& instance)
    {
        auto* level = findParameter (instance, TestPluginNames::levelParameterName);
        return level != nullptr ? level->getValue() : -1.0f;
    }

    static juce::String text (const juce::XmlElement& xml) { return xml.toString(); }
};
} // namespace

//==============================================================================
TEST_F (HostedPluginElement, ALivePluginIsStoredAsDescriptionPathAndState)
{
    processor->addMasterInsertPlugin (describe (Kind::state));
    ASSERT_TRUE (waitForCreations());
    auto& instance = *processor->masterInserts[0]->instance;
    findParameter (instance, TestPluginNames::levelParameterName)->setValueNotifyingHost (0.3f);

    const auto element = processor->createPluginXml (&instance, Ids::MASTER_PLUGIN, "/the/slot/path.vst3");
    ASSERT_NE (element, nullptr);
    EXPECT_EQ (element->getTagName(), Ids::MASTER_PLUGIN);
    ASSERT_EQ (element->getNumAttributes(), 2);
    EXPECT_EQ (element->getAttributeName (0), Ids::customPath);
    EXPECT_EQ (element->getAttributeName (1), Ids::state);
    EXPECT_EQ (element->getStringAttribute (Ids::customPath), "/the/slot/path.vst3");

    ASSERT_EQ (element->getNumChildElements(), 1);
    juce::PluginDescription stored;
    ASSERT_TRUE (stored.loadFromXml (*element->getChildByName (Ids::PLUGIN)));
    EXPECT_TRUE (stored.isDuplicateOf (instance.getPluginDescription()));

    juce::MemoryBlock expected, decoded;
    instance.getStateInformation (expected);
    ASSERT_TRUE (decoded.fromBase64Encoding (element->getStringAttribute (Ids::state)));
    EXPECT_EQ (decoded, expected);

    // Without a path the attribute is left out; without an instance there is no element.
    EXPECT_FALSE (processor->createPluginXml (&instance, Ids::AUX1, {})->hasAttribute (Ids::customPath));
    EXPECT_EQ (processor->createPluginXml (nullptr, Ids::AUX1, "/x.vst3"), nullptr);
}

TEST_F (HostedPluginElement, EveryKindOfSlotSurvivesASaveAndAnAsynchronousRestore)
{
    fillEveryPlace (Kind::state);

    // A level of its own in every place, so each restored plug-in shows it got its own state.
    for (size_t i = 0; i < places.size(); ++i)
        findParameter (*places[i].instance (*processor), TestPluginNames::levelParameterName)
            ->setValueNotifyingHost (0.1f * (float)(i + 1));

    juce::MemoryBlock blob;
    processor->getStateInformation (blob);
    const auto savedState = juce::AudioProcessor::getXmlFromBinary (blob.getData(), (int)blob.getSize());
    ASSERT_NE (savedState, nullptr);
    const auto* savedRack = savedState->getChildByName (Ids::RACK_STATE);
    ASSERT_NE (savedRack, nullptr);

    auto restored = makeProcessor (48000.0, 256);
    restored->setStateInformation (blob.getData(), (int)blob.getSize());

    // At once: every slot is there, waiting, and a save now loses none of them.
    for (const auto& place : places)
    {
        SCOPED_TRACE (place.what);
        EXPECT_EQ (place.instance (*restored), nullptr);
        EXPECT_EQ (place.path (*restored), place.path (*processor));
    }

    EXPECT_EQ (restored->instruments[0]->name, TestPlugins::displayName (Kind::state));
    EXPECT_EQ (text (*restored->createRackStateXml()), text (*savedRack));

    ASSERT_TRUE (waitForCreations (*restored));

    for (size_t i = 0; i < places.size(); ++i)
    {
        const auto& place = places[i];
        SCOPED_TRACE (place.what);
        auto* instance = place.instance (*restored);
        ASSERT_NE (instance, nullptr);
        EXPECT_EQ (instance->getName(), TestPlugins::displayName (Kind::state));
        EXPECT_EQ (place.path (*restored), TestPlugins::bundle (Kind::state).getFullPathName());
        EXPECT_NEAR (levelOf (*instance), 0.1f * (float)(i + 1), 1.0e-6f);
        EXPECT_EQ (instance->getPlayHead(), restored.get());
        EXPECT_EQ (instance->getSampleRate(), 48000.0);
        EXPECT_EQ (instance->getBlockSize(), 256);
        EXPECT_NEAR (processOnes (*instance).getSample (0, 10), 0.1f * (float)(i + 1), 1.0e-6f);
    }

    EXPECT_EQ (restored->instruments[0]->name, TestPlugins::displayName (Kind::state));
    EXPECT_EQ (restored->instruments[0]->midiChannel, 7);
    EXPECT_EQ (restored->inputInserts[0]->targetTrack, 2);
    EXPECT_EQ (restored->trackInserts[0]->targetTrack, 5);
    EXPECT_TRUE (restored->trackInserts[0]->bypass);
    EXPECT_EQ (restored->aux1StoredPluginXml, nullptr);
    EXPECT_EQ (restored->aux2StoredPluginXml, nullptr);
    EXPECT_FALSE (restored->unsavedChanges);
    EXPECT_FALSE (restored->isSuspended());

    // Now written from the live plug-ins, with their state as it is now.
    findParameter (*restored->masterInserts[0]->instance, TestPluginNames::levelParameterName)
        ->setValueNotifyingHost (0.9f);
    const auto resaved = restored->createRackStateXml();
    const auto* master = resaved->getChildByName (Ids::MASTER_INSERTS)->getChildElement (0);
    juce::MemoryBlock state;
    restored->masterInserts[0]->instance->getStateInformation (state);
    EXPECT_EQ (master->getStringAttribute (Ids::state), state.toBase64Encoding());
    EXPECT_EQ (resaved->getChildByName (Ids::INSTRUMENTS)->getNumChildElements(), 1);
    EXPECT_NE (resaved->getChildByName (Ids::AUX2), nullptr);

    restored.reset();
}

TEST_F (HostedPluginElement, ASlotWhosePluginMayNotOrCannotBeLoadedKeepsItsElement)
{
    fillEveryPlace (Kind::gain);
    const auto original = processor->createRackStateXml();
    const auto stranger = (temp / "Downloads").getChildFile (TestPlugins::bundleName (Kind::gain));
    stranger.getParentDirectory().createDirectory();
    ASSERT_TRUE (TestPlugins::bundle (Kind::gain).copyDirectoryTo (stranger));

    struct Case
    {
        const char* what;
        juce::String file;  // the file every element names, description and path alike
        bool blockedByName; // "BlockedPlugins.txt" names the plug-in
    };

    const Case cases[] = {
        {"outside every plug-in folder and the known list", stranger.getFullPathName(), false},
        {"named in BlockedPlugins.txt", TestPlugins::bundle (Kind::gain).getFullPathName(), true},
        {"no longer on disk", (temp / "gone").getChildFile (TestPlugins::bundleName (Kind::gain)).getFullPathName(),
         false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        writeBlockedPlugins (c.blockedByName ? juce::StringArray{TestPlugins::bundleName (Kind::gain)}
                                             : juce::StringArray{});

        juce::XmlElement rack (*original);

        // Every hosted element, wherever it sits, names the file of the case.
        std::function<void (juce::XmlElement&)> rename = [&] (juce::XmlElement& xml)
        {
            if (auto* plugin = xml.getChildByName (Ids::PLUGIN))
            {
                plugin->setAttribute ("file", c.file);
                xml.setAttribute (Ids::customPath, c.file);
            }

            for (auto* child : xml.getChildIterator())
                rename (*child);
        };
        rename (rack);

        auto restored = makeProcessor();
        restored->restoreRackState (rack);
        ASSERT_TRUE (waitForCreations (*restored));

        for (const auto& place : places)
        {
            SCOPED_TRACE (place.what);
            EXPECT_EQ (place.instance (*restored), nullptr);
        }

        EXPECT_EQ (restored->instruments[0]->name, TestPlugins::displayName (Kind::gain));
        EXPECT_TRUE (restored->aux1CustomPath.isEmpty()) << "an aux return that failed no longer shows as loading";

        // The next save writes back exactly what was read: nothing of the rack is lost.
        EXPECT_EQ (text (*restored->createRackStateXml()), text (rack));
    }

    writeBlockedPlugins ({});
}

TEST_F (HostedPluginElement, ElementsThatNameNoUsablePluginAnswerAtOnce)
{
    juce::XmlElement withoutDescription (Ids::TRACK_PLUGIN);
    withoutDescription.setAttribute (Ids::customPath, TestPlugins::bundle (Kind::gain).getFullPathName());

    for (const auto& [what, element] : {std::pair<const char*, const juce::XmlElement*>{"no element", nullptr},
                                        {"no description", &withoutDescription}})
    {
        SCOPED_TRACE (what);
        int calls = 0;
        processor->restorePluginFromXml (
            element, SlotKind::trackInsert,
            [&] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
            {
                ++calls;
                EXPECT_EQ (instance, nullptr);
                EXPECT_TRUE (path.isEmpty());
            });
        EXPECT_EQ (calls, 1);
        EXPECT_EQ (processor->pendingPluginCreations, 0);
    }
}

TEST_F (HostedPluginElement, OlderDescriptionsAndDamagedStatesStillLoad)
{
    // An element of an older reel ("PLUGIN_DESC"), and one whose state text claims far more
    // bytes than it carries: the plug-in still arrives, with its own defaults for the latter.
    auto older = std::make_unique<juce::XmlElement> (Ids::INSERT_PLUGIN);
    auto description = describe (Kind::state).createXml();
    description->setTagName (Ids::PLUGIN_DESC);
    older->addChildElement (description.release());

    auto damaged = std::make_unique<juce::XmlElement> (Ids::INSERT_PLUGIN);
    damaged->addChildElement (describe (Kind::state).createXml().release());
    damaged->setAttribute (Ids::state, "4000000000.ABCD");

    for (const auto& [what, element] : {std::pair<const char*, juce::XmlElement*>{"older description", older.get()},
                                        {"damaged state", damaged.get()}})
    {
        SCOPED_TRACE (what);
        int calls = 0;
        std::unique_ptr<juce::AudioPluginInstance> arrived;
        juce::String arrivedPath;
        processor->restorePluginFromXml (
            element, SlotKind::masterInsert,
            [&] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
            {
                ++calls;
                arrived = std::move (instance);
                arrivedPath = path;
            });
        EXPECT_EQ (calls, 0);
        ASSERT_TRUE (waitForCreations());
        ASSERT_EQ (calls, 1);
        ASSERT_NE (arrived, nullptr);
        EXPECT_EQ (arrived->getName(), TestPlugins::displayName (Kind::state));
        EXPECT_EQ (arrivedPath, TestPlugins::bundle (Kind::state).getFullPathName());
        arrived.reset();
    }
}

TEST_F (HostedPluginElement, AnAuxPluginArrivingAfterALaterRestoreIsDropped)
{
    fillEveryPlace (Kind::gain);
    const auto withAux = processor->createRackStateXml();
    const auto empty = juce::parseXML ("<RACK_STATE aux1BuiltIn=\"1\" aux2BuiltIn=\"2\"/>");

    // The second reel has no aux plug-ins; the first reel's must not turn up in it.
    auto restored = makeProcessor();
    restored->restoreRackState (*withAux);
    restored->restoreRackState (*empty);
    ASSERT_TRUE (waitForCreations (*restored));
    runMessages (20);

    EXPECT_EQ (restored->aux1Plugin, nullptr);
    EXPECT_EQ (restored->aux2Plugin, nullptr);
    EXPECT_TRUE (restored->aux1CustomPath.isEmpty());
    const auto saved = restored->createRackStateXml();
    EXPECT_EQ (saved->getChildByName (Ids::AUX1), nullptr);
    EXPECT_EQ (saved->getChildByName (Ids::AUX2), nullptr);

    // Restoring the same reel twice: the second restore's plug-ins are the ones in place.
    restored->restoreRackState (*withAux);
    restored->restoreRackState (*withAux);
    ASSERT_TRUE (waitForCreations (*restored));
    EXPECT_NE (restored->aux1Plugin, nullptr);
    EXPECT_NE (restored->aux2Plugin, nullptr);
    EXPECT_EQ (restored->aux1StoredPluginXml, nullptr);
}

TEST_F (HostedPluginElement, PluginsOfADeletedProcessorAreDroppedWithTheirSlots)
{
    fillEveryPlace (Kind::gain);
    const auto rack = processor->createRackStateXml();

    auto restored = makeProcessor();
    restored->restoreRackState (*rack);
    std::weak_ptr<Processor::InstrumentPlugin> slot = restored->instruments[0];
    restored.reset();

    // The creations still complete on the message thread; nothing is put anywhere and the
    // slots their completions held are gone with them.
    runMessages (500);
    EXPECT_TRUE (slot.expired());
}
