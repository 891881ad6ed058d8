// The update check: launched at the end of construction on a self-deleting thread; its result
// reaches the processor on the message thread, and only while the processor still exists.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/UpdateCheck.h"
#include "platform/Platform.h"

namespace
{
/** The version the version document is compared with (the application's own). */
constexpr const char* ownVersion = "2.2";
} // namespace

void TavrelDelayAudioProcessor::startUpdateCheck()
{
    const auto server = UpdateCheck::findServerAddress (Platform::getUserDataFolder());

    if (server.isEmpty())
        return;

    juce::Thread::launch ([weak = juce::WeakReference<TavrelDelayAudioProcessor> (this), server]
                          { checkForUpdates (weak, server); });
}

void TavrelDelayAudioProcessor::checkForUpdates (juce::WeakReference<TavrelDelayAudioProcessor> processor,
                                                 const juce::String& serverAddress)
{
    // Touches nothing shared: the processor is only reached through the posted call.
    const auto outcome = UpdateCheck::run (serverAddress, ownVersion);

    if (outcome.updateAvailable)
        juce::MessageManager::callAsync ([processor, notes = outcome.notes]
                                         {
                                             if (auto* target = processor.get())
                                                 target->storeUpdateNotes (notes);
                                         });
}

void TavrelDelayAudioProcessor::storeUpdateNotes (const juce::String& notes)
{
    updateNotes = UpdateCheck::notesHeading + notes;
    updateAvailable = true;
}
