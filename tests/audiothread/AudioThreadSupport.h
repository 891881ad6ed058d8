#pragma once

#include "tests/block/BlockTestFixture.h"
#include "tests/block/FakePlugin.h"

#include <atomic>

/** A hosted plug-in whose state is large and slow to take, as a big sampler's is; it counts
    the requests and those made off the message thread. */
class SlowStatePlugin : public FakePlugin
{
public:
    explicit SlowStatePlugin (int milliseconds) : FakePlugin (2, 2), stateMilliseconds (milliseconds) {}

    void getStateInformation (juce::MemoryBlock& state) override
    {
        ++stateRequests;

        if (! juce::MessageManager::existsAndIsCurrentThread())
            ++stateRequestsOffMessageThread;

        juce::Thread::sleep (stateMilliseconds);
        state.setSize (256 * 1024, true);
    }

    std::atomic<int> stateRequests{0}, stateRequestsOffMessageThread{0};

private:
    const int stateMilliseconds;
};

/** The block rig with the auto-save thread held still and a reel library in the test run's
    own folders; the reels a test saves go with it. */
class AudioThreadTest : public BlockTest
{
protected:
    AudioThreadTest() { p.autoSaveTickMilliseconds = 1 << 30; }

    ~AudioThreadTest() override
    {
        for (const auto& name : savedReels)
            reel (name).deleteRecursively();
    }

    void setReelName (const juce::String& name)
    {
        p.setReelName (name);
        savedReels.add (name);
    }

    juce::File reel (const juce::String& name) const { return p.reelLibrary.getLibraryRoot().getChildFile (name); }

    /** A master insert holding a SlowStatePlugin. */
    SlowStatePlugin& addSlowStatePlugin (int milliseconds)
    {
        auto slot = makeInsertPlugin();
        auto plugin = std::make_unique<SlowStatePlugin> (milliseconds);
        auto& result = *plugin;
        slot->instance = std::move (plugin);
        slot->name = "Slow";
        p.masterInserts.push_back (slot);
        return result;
    }

    static void runMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    juce::StringArray savedReels;
};
