// Opening a reel: from the tape room (after the low-rate device prompt and the crash-recovery
// question) or from the menu's "Open Reel" chooser (pointer files, archives and reel folders,
// after asking about unsaved work). Both end by showing the deck on the first console page.

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "app/AppTexts.h"
#include "app/CommandLineFile.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/StorageIds.h"
#include "ui/deck/FlowDialog.h"

namespace
{
using Editor = TavrelDelayAudioProcessorEditor;

constexpr double lowQualityRate = 24000.0;

bool isUnsavedNamedReel (TavrelDelayAudioProcessor& processor)
{
    return processor.getReelName() != StorageIds::untitledReelName && processor.hasUnsavedChanges();
}

/** Loads the reel and shows the deck on tracks 1 to 8; the track page button gets pageText. */
bool openAndShowDeck (Editor& editor, const juce::String& name, int slot, const juce::String& pageText)
{
    auto& processor = editor.audioProcessor;

    if (! processor.loadReel (name, slot))
    {
        // Nothing was read: the reel that was open (or the library screen) stays.
        FlowDialog::notify ("Reel Not Found", "The reel '" + name + "' could not be opened.", 2,
                            &editor.getEditorLook());
        return false;
    }

    editor.maskingTapeVisible = processor.parameters.state.getProperty ("ShowMaskingTape", false);

    if (editor.console != nullptr)
    {
        editor.console->refreshAll();
        editor.console->setMaskingTapeVisible (editor.maskingTapeVisible);
        editor.consolePageStart = 0;
        editor.console->showTrackPage (0);
        editor.trackPageButton.setVisible (processor.numTracks > 8);
        editor.trackPageButton.setButtonText (pageText);
    }

    editor.tapeRoomShowing = false;
    editor.backgroundCache = {};
    editor.resized();
    editor.repaint();

    if (processor.reelLoadWarning.isNotEmpty())
        FlowDialog::notify ("Reel Opened", processor.reelLoadWarning, 2, &editor.getEditorLook());

    return true;
}

juce::LookAndFeel* recoveryLook (Editor& editor)
{
    return editor.tapeRoom != nullptr ? &editor.tapeRoom->getLookAndFeel() : nullptr;
}

void askToDiscardRecovery (Editor& editor, const juce::String& name)
{
    FlowDialog::ask ("Discard Unsaved Work?", "Are you sure?\nThis will permanently delete your unsaved crash data.", 2,
                     "Yes, Discard", recoveryLook (editor),
                     [safe = juce::Component::SafePointer<Editor> (&editor), name]
                     {
                         auto* target = safe.getComponent();
                         if (target == nullptr)
                             return;

                         target->audioProcessor.reelLibrary.deleteRecoveryFolder (name);
                         target->openReelAndResetView (name, 0);
                     });
}

bool sameFolder (const juce::File& a, const juce::File& b)
{
    return a.getFullPathName().equalsIgnoreCase (b.getFullPathName());
}
} // namespace

void TavrelDelayAudioProcessorEditor::openReelFromLibrary (const juce::String& name)
{
    auto* manager = audioProcessor.deviceManager;
    auto* device = manager != nullptr ? manager->getCurrentAudioDevice() : nullptr;

    if (device == nullptr || device->getCurrentSampleRate() > lowQualityRate)
    {
        checkCrashRecovery (name);
        return;
    }

    auto* dialog = FlowDialog::create ("Bluetooth Audio",
                                       "Bluetooth headset detected.\n\niOS restricts Bluetooth microphones to "
                                       "low-quality 24kHz.\n\nWould you like to automatically disable the microphone "
                                       "to mix in high-quality 48kHz?",
                                       2, &getEditorLook());
    FlowDialog::addButton (*dialog, "Disable Mic (48kHz)", 1);
    FlowDialog::addButton (*dialog, "Keep Mic (24kHz)", 0);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (this), name] (int result, SafeAlertWindow&)
                      {
                          auto* target = safe.getComponent();
                          if (target == nullptr)
                              return;

                          auto* deviceManager = target->audioProcessor.deviceManager;
                          if (result != 1 || deviceManager == nullptr)
                          {
                              target->checkCrashRecovery (name);
                              return;
                          }

                          auto setup = deviceManager->getAudioDeviceSetup();
                          setup.inputDeviceName = {};
                          setup.inputChannels.clear();
                          setup.useDefaultInputChannels = false;
                          setup.sampleRate = 48000.0;
                          deviceManager->setAudioDeviceSetup (setup, true); // a refusal keeps the old device

                          juce::Timer::callAfterDelay (500,
                                                       [safe, name]
                                                       {
                                                           if (auto* later = safe.getComponent())
                                                               later->checkCrashRecovery (name);
                                                       });
                      });
}

void TavrelDelayAudioProcessorEditor::checkCrashRecovery (const juce::String& name)
{
    if (! audioProcessor.reelLibrary.hasNewerRecovery (name))
    {
        openReelAndResetView (name, 0);
        return;
    }

    auto* dialog = FlowDialog::create ("Crash Recovery",
                                       "An auto-saved version of '" + name +
                                           "' was found from a previous session.\n\nIt may contain unsaved audio "
                                           "from a crash.\nRecover this version?",
                                       2, recoveryLook (*this));
    FlowDialog::addButton (*dialog, "Recover", 1);
    FlowDialog::addButton (*dialog, "Discard", 2);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (this), name] (int result, SafeAlertWindow&)
                      {
                          auto* target = safe.getComponent();
                          if (target == nullptr)
                              return;

                          if (result == 1)
                              target->openReelAndResetView (name, -1);
                          else if (result == 2)
                              askToDiscardRecovery (*target, name);
                      });
}

bool TavrelDelayAudioProcessorEditor::openReelAndResetView (const juce::String& name, int slot)
{
    return openAndShowDeck (*this, name, slot, "TRACKS 1-8");
}

void TavrelDelayAudioProcessorEditor::loadMenuReel (const juce::String& name)
{
    openAndShowDeck (*this, name, 0, "TRACKS\n1 - 8");
}

void TavrelDelayAudioProcessorEditor::openReelChosen (const juce::File& chosen)
{
    if (chosen.getFullPathName().isEmpty() || ! chosen.exists())
        return;

    auto& library = audioProcessor.reelLibrary;
    const auto root = library.getLibraryRoot();

    if (chosen.isDirectory())
    {
        if (! chosen.getChildFile (StorageIds::settingsFile).existsAsFile())
        {
            FlowDialog::notify ("Invalid Reel",
                                "The selected folder does not appear to be a valid reel (missing settings.xml).", 2);
            return;
        }

        // Reels are read by name from the library folder only.
        if (! sameFolder (chosen.getParentDirectory(), root))
        {
            FlowDialog::notify ("Reel Outside Library",
                                "Dravin 8 opens reels from its library folder:\n" + root.getFullPathName() +
                                    "\n\nMove the reel's folder there, or make its folder the library with \"Change "
                                    "Library Folder...\" in the Setup menu.",
                                2);
            return;
        }

        openReelFromMenu (chosen.getFileName());
        return;
    }

    if (! chosen.hasFileExtension (StorageIds::pointerExtension) && ! chosen.hasFileExtension (".zip"))
        return;

    if (CommandLineFile::isArchive (chosen))
    {
        // The import makes a folder under a free name ("Song (2)" when "Song" is taken) and
        // leaves nothing behind when it fails: the reel to open is the one it returns.
        juce::String reason;
        const auto imported = library.importReelArchive (chosen, &reason);

        if (imported.isEmpty())
        {
            FlowDialog::notify (AppTexts::importFailedTitle,
                                "\"" + chosen.getFileName() + "\" could not be imported.\n\n" + reason, 2);
            return;
        }

        if (tapeRoom != nullptr)
            tapeRoom->refreshReelList();

        openReelFromMenu (imported);
        return;
    }

    // A pointer file: its reel must be in the library (by its name, or the folder it lies in).
    const auto reel = CommandLineFile::findPointerReel (chosen, root);

    if (reel.isEmpty() || ! library.getReelFolder (reel).getChildFile (StorageIds::settingsFile).existsAsFile())
    {
        FlowDialog::notify (AppTexts::missingAudioTitle, AppTexts::missingAudioMessage, 2);
        return;
    }

    openReelFromMenu (reel);
}

void TavrelDelayAudioProcessorEditor::openReelFromMenu (const juce::String& name)
{
    if (! isUnsavedNamedReel (audioProcessor))
    {
        loadMenuReel (name);
        return;
    }

    const auto openName = audioProcessor.getReelName();
    auto* dialog =
        FlowDialog::create ("Open Reel", "Do you want to save changes to '" + openName + "' before opening a new reel?",
                            1, &getEditorLook());
    FlowDialog::addButton (*dialog, "Save", 1);
    FlowDialog::addButton (*dialog, "Don't Save", 2);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (
        dialog,
        [safe = juce::Component::SafePointer<Editor> (this), name, openName] (int result, SafeAlertWindow&)
        {
            auto* target = safe.getComponent();
            if (target == nullptr)
                return;

            if (result == 1)
            {
                const auto saved = target->audioProcessor.saveReel (0);
                if (saved.failed())
                {
                    // The open reel stays, unsaved changes and all.
                    FlowDialog::notify ("Save Failed",
                                        "The reel could not be saved, so '" + name + "' was not opened.\n\n" +
                                            saved.getErrorMessage(),
                                        2, &target->getEditorLook());
                    return;
                }

                target->loadMenuReel (name);
                return;
            }

            if (result != 2)
                return;

            FlowDialog::ask (
                "Discard Changes?", "Are you sure you want to discard your unsaved changes?\nThis cannot be undone.", 2,
                "Yes, Discard", &target->getEditorLook(),
                [safe, name, openName]
                {
                    auto* editor = safe.getComponent();
                    if (editor == nullptr)
                        return;

                    editor->audioProcessor.reelLibrary.deleteRecoveryFolder (openName.replace (" (Recovered)", ""));
                    editor->loadMenuReel (name);
                });
        });
}
