#include "tests/hosting/HostingTestSupport.h"

// The asynchronous creation a reel's restore uses: a slot restored without its plug-in is filled
// later on the message thread from the stored description, path and state. The test stands in
// for the reel reader: it keeps what a save keeps (the description as XML, the path, the state as
// base 64 text), puts an empty slot in place and has the plug-in re-created into it.

namespace
{
using Processor = TavrelDelayAudioProcessor;

/** What a save keeps of a hosted plug-in, in the form it is stored in. */
struct StoredPlugin
{
    std::unique_ptr<juce::XmlElement> description;
    juce::String path;
    juce::String state;
};

StoredPlugin store (juce::AudioPluginInstance& instance, const juce::String& path)
{
    juce::MemoryBlock state;
    instance.getStateInformation (state);
    return {instance.getPluginDescription().createXml(), path, state.toBase64Encoding()};
}

class HostedPluginRestore : public HostingTest
{
protected:
    /** Re-creates the stored plug-in into a slot of the kind in p, the way a reel's restore does:
        the slot is there at once without an instance, the plug-in arrives later. Returns the
        number of completions so far through calls. */
    void restore (Processor& p, const StoredPlugin& stored, SlotKind kind, int aux, int& calls)
    {
        juce::PluginDescription description;
        ASSERT_TRUE (description.loadFromXml (*stored.description));
        juce::MemoryBlock state;
        state.fromBase64Encoding (stored.state);

        juce::AudioPluginFormat::PluginCreationCallback install;

        if (kind == SlotKind::auxReturn)
        {
            (aux == 0 ? p.aux1CustomPath : p.aux2CustomPath) = stored.path;
            install = [&p, aux, &calls] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
            {
                ++calls;
                p.installAuxPluginInstance (aux, std::move (instance), path);
            };
        }
        else if (kind == SlotKind::instrument)
        {
            auto slot = makeInstrumentPlugin();
            slot->name = "Loading...";
            slot->customPath = stored.path;
            p.instruments.push_back (slot);
            install = [&p, slot, &calls] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
            {
                ++calls;
                p.installInstrumentPluginInstance (slot, std::move (instance), path);
            };
        }
        else
        {
            auto slot = makeInsertPlugin();
            slot->name = "Loading...";
            slot->customPath = stored.path;
            (kind == SlotKind::inputInsert   ? p.inputInserts
             : kind == SlotKind::trackInsert ? p.trackInserts
                                             : p.masterInserts)
                .push_back (slot);
            install = [&p, slot, &calls] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String& path)
            {
                ++calls;
                p.installInsertPluginInstance (slot, std::move (instance), path);
            };
        }

        p.createHostedPluginAsync (description, kind, stored.path, state, install);
    }

    /** The plug-in, name and path of the (last) slot of the kind. */
    static std::tuple<juce::AudioPluginInstance*, juce::String, juce::String> slotOf (Processor& p, SlotKind kind,
                                                                                      int aux)
    {
        const auto fromInsert = [] (const std::vector<std::shared_ptr<Processor::InsertPlugin>>& chain)
        {
            const auto& slot = *chain.back();
            return std::make_tuple (slot.instance.get(), slot.name, slot.customPath);
        };

        switch (kind)
        {
            case SlotKind::inputInsert:
                return fromInsert (p.inputInserts);
            case SlotKind::trackInsert:
                return fromInsert (p.trackInserts);
            case SlotKind::masterInsert:
                return fromInsert (p.masterInserts);
            case SlotKind::auxReturn:
            {
                auto& plugin = aux == 0 ? p.aux1Plugin : p.aux2Plugin;
                return std::make_tuple (plugin.get(), plugin != nullptr ? plugin->getName() : juce::String(),
                                        aux == 0 ? p.aux1CustomPath : p.aux2CustomPath);
            }
            case SlotKind::instrument:
            {
                const auto& slot = *p.instruments.back();
                return std::make_tuple (slot.instance.get(), slot.name, slot.customPath);
            }
        }

        return {};
    }

    static float levelOf (juce::AudioPluginInstance& instance)
    {
        auto* level = findParameter (instance, TestPluginNames::levelParameterName);
        return level != nullptr ? level->getValue() : -1.0f;
    }

    /** A copy of a test plug-in's bundle in folder (the plug-in moved there). */
    static juce::File copyBundle (Kind kind, const juce::File& folder)
    {
        const auto copy = folder.getChildFile (TestPlugins::bundleName (kind));
        folder.createDirectory();
        EXPECT_TRUE (TestPlugins::bundle (kind).copyDirectoryTo (copy));
        return copy;
    }
};

struct Target
{
    const char* what;
    Processor::HostedSlotKind kind;
    int aux;
};

const Target everyKind[] = {
    {"record path", Processor::HostedSlotKind::inputInsert, 0},
    {"track chain", Processor::HostedSlotKind::trackInsert, 0},
    {"master chain", Processor::HostedSlotKind::masterInsert, 0},
    {"aux 1", Processor::HostedSlotKind::auxReturn, 0},
    {"aux 2", Processor::HostedSlotKind::auxReturn, 1},
    {"instrument slot", Processor::HostedSlotKind::instrument, 0},
};
} // namespace

//==============================================================================
TEST_F (HostedPluginRestore, DescriptionPathAndStateSurviveASaveAndAnAsynchronousRestore)
{
    // The reel's plug-in, set to a level of its own.
    processor->addMasterInsertPlugin (describe (Kind::state));
    ASSERT_TRUE (waitForCreations());
    ASSERT_EQ (processor->masterInserts.size(), 1u);
    auto& original = *processor->masterInserts[0];
    findParameter (*original.instance, TestPluginNames::levelParameterName)->setValueNotifyingHost (0.25f);
    const auto stored = store (*original.instance, original.customPath);
    ASSERT_NE (stored.description, nullptr);

    // Another processor, as after the program started again.
    Processor restored;
    restored.pluginLoadPolicy.standardFolders = {TestPlugins::folder()};
    restored.setRateAndBufferSizeDetails (44100.0, 333);
    restored.unsavedChanges = false;

    for (const auto& target : everyKind)
    {
        SCOPED_TRACE (target.what);
        int calls = 0;
        restore (restored, stored, target.kind, target.aux, calls);

        // Never answered before the restore has finished its own work.
        EXPECT_EQ (calls, 0);
        EXPECT_EQ (std::get<0> (slotOf (restored, target.kind, target.aux)), nullptr);

        ASSERT_TRUE (waitForCreations (restored));
        EXPECT_EQ (calls, 1);

        const auto [instance, name, path] = slotOf (restored, target.kind, target.aux);
        ASSERT_NE (instance, nullptr);
        EXPECT_EQ (name, TestPlugins::displayName (Kind::state));
        EXPECT_EQ (path, stored.path);
        EXPECT_EQ (instance->getPluginDescription().fileOrIdentifier,
                   TestPlugins::bundle (Kind::state).getFullPathName());
        EXPECT_EQ (instance->getPlayHead(), &restored);
        EXPECT_EQ (instance->getSampleRate(), 44100.0);
        EXPECT_EQ (instance->getBlockSize(), 333);

        // Its state came back before it was prepared, and it sounds like it did.
        EXPECT_NEAR (levelOf (*instance), 0.25f, 1.0e-6f);
        EXPECT_NEAR (processOnes (*instance).getSample (1, 100), 0.25f, 1.0e-6f);

        // Restoring is not a change of the reel.
        EXPECT_FALSE (restored.unsavedChanges);
        EXPECT_FALSE (restored.isSuspended());
    }
}

TEST_F (HostedPluginRestore, AMovedPluginIsCreatedFromThePathTheSlotNames)
{
    // The plug-ins now live in another standard folder than the one the reel's description names.
    const auto plugins = temp / "plugins";
    processor->pluginLoadPolicy.standardFolders = {plugins};
    const auto moved = copyBundle (Kind::gain, plugins.getChildFile ("new"));

    auto description = describe (Kind::gain);
    description.fileOrIdentifier =
        plugins.getChildFile ("old").getChildFile (TestPlugins::bundleName (Kind::gain)).getFullPathName();

    StoredPlugin stored{description.createXml(), moved.getFullPathName(), {}};
    int calls = 0;
    restore (*processor, stored, SlotKind::trackInsert, 0, calls);
    ASSERT_TRUE (waitForCreations());

    auto& slot = *processor->trackInserts.back();
    ASSERT_NE (slot.instance, nullptr);
    EXPECT_EQ (slot.instance->getPluginDescription().fileOrIdentifier, moved.getFullPathName());
    EXPECT_EQ (slot.customPath, moved.getFullPathName());
    EXPECT_EQ (slot.name, TestPlugins::displayName (Kind::gain));
}

TEST_F (HostedPluginRestore, AStoredPathThatMayNotBeLoadedIsNeverOpened)
{
    // A reel from elsewhere names a copy of the gain plug-in outside every standard folder and
    // the known list. The description's own file (in a standard folder) is used instead.
    const auto stranger = copyBundle (Kind::gain, temp / "Downloads");
    StoredPlugin stored{describe (Kind::gain).createXml(), stranger.getFullPathName(), {}};

    int calls = 0;
    restore (*processor, stored, SlotKind::masterInsert, 0, calls);
    ASSERT_TRUE (waitForCreations());

    auto& slot = *processor->masterInserts.back();
    ASSERT_NE (slot.instance, nullptr);
    EXPECT_EQ (slot.instance->getPluginDescription().fileOrIdentifier,
               TestPlugins::bundle (Kind::gain).getFullPathName());

    // With the description naming the stranger too, nothing is loaded at all, and the slot stays
    // without a plug-in for the reel to keep as it was read.
    auto strangerDescription = describe (Kind::gain);
    strangerDescription.fileOrIdentifier = stranger.getFullPathName();
    StoredPlugin onlyStranger{strangerDescription.createXml(), stranger.getFullPathName(), {}};

    for (const auto& target : everyKind)
    {
        SCOPED_TRACE (target.what);
        calls = 0;
        restore (*processor, onlyStranger, target.kind, target.aux, calls);
        EXPECT_EQ (calls, 0);
        ASSERT_TRUE (waitForCreations());
        EXPECT_EQ (calls, 1);

        const auto [instance, name, path] = slotOf (*processor, target.kind, target.aux);
        EXPECT_EQ (instance, nullptr);

        if (target.kind == SlotKind::auxReturn)
        {
            EXPECT_TRUE (path.isEmpty()); // no longer shown as loading
        }
        else
        {
            EXPECT_EQ (name, "Loading...");
            EXPECT_EQ (path, stranger.getFullPathName());
        }
    }
}

TEST_F (HostedPluginRestore, APluginArrivingForARemovedSlotIsDiscardedWithIt)
{
    // A later restore (or the user) removed the slot before its plug-in arrived.
    processor->addMasterInsertPlugin (describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());
    const auto stored = store (*processor->masterInserts[0]->instance, processor->masterInserts[0]->customPath);

    int calls = 0;
    restore (*processor, stored, SlotKind::instrument, 0, calls);
    std::weak_ptr<Processor::InstrumentPlugin> slot = processor->instruments.back();
    processor->removeInstrument ((int)processor->instruments.size() - 1);
    EXPECT_FALSE (slot.expired()); // its completion still holds it

    ASSERT_TRUE (waitForCreations());
    EXPECT_EQ (calls, 1);
    runMessages (20);
    EXPECT_TRUE (slot.expired());
    EXPECT_TRUE (processor->instruments.empty());
}

TEST_F (HostedPluginRestore, ARestoreOnAnotherThreadHandsTheCreationToTheMessageThread)
{
    processor->addMasterInsertPlugin (describe (Kind::state));
    ASSERT_TRUE (waitForCreations());
    const auto stored = store (*processor->masterInserts[0]->instance, processor->masterInserts[0]->customPath);

    int calls = 0;
    std::thread loader ([&] { restore (*processor, stored, SlotKind::instrument, 0, calls); });
    loader.join();

    EXPECT_EQ (processor->pendingPluginCreations, 1);
    EXPECT_EQ (calls, 0);
    ASSERT_TRUE (waitForCreations());
    EXPECT_EQ (calls, 1);
    ASSERT_NE (processor->instruments.back()->instance, nullptr);
    EXPECT_EQ (processor->instruments.back()->name, TestPlugins::displayName (Kind::state));
}
