// The auto-save thread: every tick a recovery copy of anything unsaved, and at the chosen
// interval the auto-save copy; nothing while the transport records. And the snapshot of the
// rack and parameters every save takes, on the message thread, so that no save holds the
// audio lock while plug-ins write their state.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "storage/ReelFolderFormat.h"

#include <mutex>
#include <optional>

namespace
{
/** Ticks of 20 s in a minute: the interval choices are minutes. */
constexpr int ticksPerMinute = 3;

/** Minutes between auto-save copies for the AUTO_SAVE_INTERVAL choice; 0 for "Off". */
int intervalMinutes (int choice)
{
    switch (choice)
    {
        case 1:
            return 5;
        case 2:
            return 10;
        case 3:
            return 15;
        case 4:
            return 30;
        default:
            return 0;
    }
}
} // namespace

void TavrelDelayAudioProcessor::AutoSaveThread::run()
{
    int tick = 0;
    int lastSlotTick = 0;

    while (! threadShouldExit())
    {
        // One tick, waited out in short steps so that a stop is seen at once.
        for (int waited = 0;;)
        {
            const auto remaining = processor->autoSaveTickMilliseconds.load() - waited;

            if (threadShouldExit())
                return;

            if (remaining <= 0)
                break;

            const auto step = juce::jmin (1000, remaining);
            wait (step);
            waited += step;
        }

        if (threadShouldExit())
            return;

        processor->runAutoSaveTick (++tick, lastSlotTick);
    }
}

void TavrelDelayAudioProcessor::runAutoSaveTick (int tick, int& lastSlotTick)
{
    // The flag scan reads the track list, which a load may be resizing.
    const auto anythingUnsaved = [this]
    {
        const juce::ScopedLock saveGuard (saveLock);
        return hasUnsavedChanges();
    };

    if (transportState == transportRecord)
        return;

    if (anythingUnsaved())
        saveReel (ReelFolderFormat::recoverySlot);

    int minutes = 10;

    if (auto* interval = parameters.getRawParameterValue (ParameterIds::AUTO_SAVE_INTERVAL))
        minutes = intervalMinutes ((int)interval->load());

    if (minutes <= 0)
        return;

    if (tick - lastSlotTick >= minutes * ticksPerMinute)
    {
        if (transportState != transportRecord && anythingUnsaved())
            saveReel (ReelFolderFormat::autoSaveSlot);

        lastSlotTick = tick;
    }
}

//==============================================================================
TavrelDelayAudioProcessor::ReelStateSnapshot TavrelDelayAudioProcessor::takeReelStateSnapshot()
{
    const auto takeHere = [this] (bool underAudioLock)
    {
        ReelStateSnapshot snapshot;

        if (underAudioLock)
        {
            const juce::ScopedLock lock (audioLock);
            snapshot.rack = createRackStateXml();
        }
        else
        {
            snapshot.rack = createRackStateXml();
        }

        snapshot.parameterState = parameters.copyState();
        return snapshot;
    };

    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

    if (messageManager == nullptr || messageManager->isThisTheMessageThread()
        || messageManager->currentThreadHasLockedMessageManager())
        return takeHere (false);

    // The request outlives a caller that gave up waiting: the message thread then finds it
    // abandoned and does nothing.
    struct Request
    {
        juce::WaitableEvent done;
        std::mutex mutex;
        bool abandoned = false;
        std::optional<ReelStateSnapshot> snapshot;
    };

    auto request = std::make_shared<Request>();

    juce::MessageManager::callAsync (
        [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this), request, takeHere]
        {
            {
                const std::lock_guard<std::mutex> lock (request->mutex);

                if (request->abandoned || weak.get() == nullptr)
                    return;
            }

            auto snapshot = takeHere (false);

            {
                const std::lock_guard<std::mutex> lock (request->mutex);

                if (! request->abandoned)
                    request->snapshot = std::move (snapshot);
            }

            request->done.signal();
        });

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)juce::jmax (0, snapshotTimeoutMilliseconds.load());

    while (! request->done.wait (10))
    {
        if (juce::Thread::currentThreadShouldExit() || juce::Time::getMillisecondCounter() >= deadline)
            break;
    }

    {
        const std::lock_guard<std::mutex> lock (request->mutex);
        request->abandoned = true;

        if (request->snapshot.has_value())
            return std::move (*request->snapshot);
    }

    // The auto-saver being stopped (the processor is going) writes no further copy: an empty
    // snapshot tells the save to give up.
    if (autoSaveThread != nullptr && juce::Thread::getCurrentThread() == autoSaveThread.get()
        && juce::Thread::currentThreadShouldExit())
        return {};

    ++lockedSnapshots;
    return takeHere (true);
}
