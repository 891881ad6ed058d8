// Saving, snapshots and ejecting the open reel: SAVE REEL and EJECT, save-as and the snapshot
// dialogs. A save that fails is always reported and stops whatever was to follow it (eject,
// "State Saved"), so the reel in memory is never given up unsaved.

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/ReelNames.h"
#include "storage/StorageIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/SaveReelProgress.h"

namespace
{
using Editor = TavrelDelayAudioProcessorEditor;

constexpr const char* recoveredSuffix = " (Recovered)";
constexpr int buttonFeedbackMs = 1500;

bool isNamedReel (const juce::String& name)
{
    return name.isNotEmpty() && name != StorageIds::untitledReelName;
}

/** Shows a text on SAVE REEL for 1.5 s, then "SAVE REEL" again (the timer puts a slot variant
    there when one applies). */
void flashSaveButton (Editor& editor, const juce::String& text)
{
    editor.saveReelButton.setButtonText (text);
    juce::Timer::callAfterDelay (buttonFeedbackMs,
                                 [safe = juce::Component::SafePointer<Editor> (&editor)]
                                 {
                                     if (auto* target = safe.getComponent())
                                         target->saveReelButton.setButtonText ("SAVE REEL");
                                 });
}

void reportSaveFailure (Editor& editor, const juce::Result& result)
{
    FlowDialog::notify ("Save Failed",
                        "The reel could not be saved. Nothing has been lost: it is still open as it was.\n\n" +
                            result.getErrorMessage(),
                        2, &editor.getEditorLook());
}

/** The folder name of an existing reel in the library that the name would replace (compared
    ignoring case, as the library does), or empty. */
juce::String findExistingReel (const juce::File& libraryRoot, const juce::String& name)
{
    for (const auto& entry : juce::RangedDirectoryIterator (libraryRoot, false, "*", juce::File::findDirectories))
    {
        const auto folder = entry.getFile();
        if (folder.getFileName().equalsIgnoreCase (name) &&
            folder.getChildFile (StorageIds::settingsFile).existsAsFile())
            return folder.getFileName();
    }

    return {};
}

void finishSaveAs (Editor& editor, const juce::Result& result)
{
    if (result.failed())
    {
        reportSaveFailure (editor, result);
        return;
    }

    editor.backgroundCache = {};
    editor.repaint();
}

void askToReplace (Editor& editor, const juce::String& existing)
{
    FlowDialog::ask ("Replace Reel?",
                     "A reel named '" + existing +
                         "' already exists in the library.\nDo you want to replace it with this one?",
                     2, "Replace", &editor.getEditorLook(),
                     [safe = juce::Component::SafePointer<Editor> (&editor), existing]
                     {
                         if (auto* target = safe.getComponent())
                             finishSaveAs (*target, target->audioProcessor.saveReelUnderName (existing, true));
                     });
}

void saveUnderTypedName (Editor& editor, const juce::String& typed)
{
    auto& processor = editor.audioProcessor;
    const auto name = typed.trim();

    if (name.isEmpty())
        return;

    // The open reel's own name is a plain save.
    if (name == processor.getReelName())
    {
        finishSaveAs (editor, processor.saveReelAs (name));
        return;
    }

    const auto root = processor.reelLibrary.getLibraryRoot();
    const auto check = ReelNames::checkNewReelName (name, root);

    if (check.wasOk())
    {
        finishSaveAs (editor, processor.saveReelAs (name));
        return;
    }

    if (ReelNames::checkFolderName (name).wasOk() && ! ReelNames::isScratchReelName (name))
    {
        if (const auto existing = findExistingReel (root, name); existing.isNotEmpty())
        {
            askToReplace (editor, existing);
            return;
        }
    }

    FlowDialog::notify ("Invalid Name", check.getErrorMessage(), 2, &editor.getEditorLook());
}
} // namespace

void TavrelDelayAudioProcessorEditor::saveReelClicked()
{
    const auto name = audioProcessor.getReelName();

    if (! isNamedReel (name))
    {
        flashSaveButton (*this, "NO TAPE!");
        return;
    }

    if (! name.endsWith (recoveredSuffix))
    {
        startSaveReelThread ({}, 0);
        return;
    }

    const auto baseName = name.dropLastCharacters ((int)std::strlen (recoveredSuffix));
    auto* dialog = FlowDialog::create ("Save Recovered Reel",
                                       "You are saving a recovered session.\nDo you want to overwrite the original '" +
                                           baseName + "' or save it as a new copy?",
                                       1, &getEditorLook());
    FlowDialog::addButton (*dialog, "Overwrite Original", 1);
    FlowDialog::addButton (*dialog, "Save as Copy", 2);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (this), baseName] (int result, SafeAlertWindow&)
                      {
                          auto* target = safe.getComponent();
                          if (target == nullptr)
                              return;

                          if (result == 1)
                          {
                              // A main save of a recovered reel writes it back over its original;
                              // a save-as under the original's name would be refused as taken.
                              target->startSaveReelThread ({}, 0);
                          }
                          else if (result == 2)
                          {
                              // A reel of its own beside the original, which stays as it was.
                              const auto copyName = ReelNames::makeUniqueReelName (
                                  baseName + " Copy", target->audioProcessor.reelLibrary.getLibraryRoot());
                              if (copyName.isNotEmpty())
                                  target->startSaveReelThread (copyName, 0);
                              else
                                  reportSaveFailure (*target,
                                                     juce::Result::fail ("No free name was found for the copy."));
                          }
                      });
}

void TavrelDelayAudioProcessorEditor::startSaveReelThread (const juce::String& newName, int slot)
{
    auto* job = new SaveReelProgress (audioProcessor, slot, newName,
                                      [safe = juce::Component::SafePointer<Editor> (this)] (juce::Result result)
                                      {
                                          auto* target = safe.getComponent();
                                          if (target == nullptr)
                                              return;

                                          if (result.failed())
                                          {
                                              reportSaveFailure (*target, result);
                                              return;
                                          }

                                          target->backgroundCache = {};
                                          target->repaint();
                                          flashSaveButton (*target, "SAVED!");
                                      });

    if (auto* window = job->getAlertWindow())
        window->setLookAndFeel (&getEditorLook());

    job->launchThread (juce::Thread::Priority::normal);
}

void TavrelDelayAudioProcessorEditor::showSaveAsDialog()
{
    auto* dialog = FlowDialog::create ("Save As...", "Enter a name for the new reel:", 0);
    dialog->addTextEditor ("newName", audioProcessor.getReelName() + " Copy");
    FlowDialog::addButton (*dialog, "Save", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (this)] (int result, SafeAlertWindow& shown)
                      {
                          if (auto* target = safe.getComponent(); target != nullptr && result == 1)
                              saveUnderTypedName (*target, shown.getTextEditorContents ("newName"));
                      });
}

void TavrelDelayAudioProcessorEditor::showSnapshotSaveDialog (int slot)
{
    // A state belongs to a named reel; without one it would land in a scratch folder.
    if (! isNamedReel (audioProcessor.getReelName()))
    {
        flashSaveButton (*this, "NO TAPE!");
        return;
    }

    const auto name = slotName (slot);
    FlowDialog::ask ("Save to " + name + "?", "This will overwrite any existing state in " + name + ".\nAre you sure?",
                     1, "Save State", nullptr,
                     [safe = juce::Component::SafePointer<Editor> (this), slot, name]
                     {
                         auto* target = safe.getComponent();
                         if (target == nullptr)
                             return;

                         const auto saved = target->audioProcessor.saveReel (slot);
                         if (saved.failed())
                         {
                             reportSaveFailure (*target, saved);
                             return;
                         }

                         target->backgroundCache = {};
                         target->repaint();
                         FlowDialog::notify ("State Saved", "Mix successfully saved to " + name + "!", 3);
                     });
}

void TavrelDelayAudioProcessorEditor::showSnapshotLoadDialog (int slot)
{
    const auto name = slotName (slot);
    FlowDialog::ask ("Load " + name + "?",
                     "This will replace your current unsaved mix in memory with the saved state.\n\n"
                     "To make this state permanent, simply hit 'SAVE REEL' after it loads.",
                     1, "Load State", nullptr,
                     [safe = juce::Component::SafePointer<Editor> (this), slot, name]
                     {
                         auto* target = safe.getComponent();
                         if (target == nullptr)
                             return;

                         const auto baseName = target->audioProcessor.getReelName().replace (recoveredSuffix, "");

                         if (! isNamedReel (baseName) || ! target->audioProcessor.loadReel (baseName, slot))
                         {
                             FlowDialog::notify ("State Not Loaded",
                                                 name + " could not be loaded: the reel has no such state. "
                                                        "The mix in memory is unchanged.",
                                                 2);
                             return;
                         }

                         target->backgroundCache = {};
                         if (target->console != nullptr)
                         {
                             target->console->refreshAll();
                             target->console->repaint();
                         }
                         target->repaint();
                         FlowDialog::notify ("State Loaded", name + " successfully loaded!", 3);
                     });
}

void TavrelDelayAudioProcessorEditor::ejectClicked()
{
    const auto name = audioProcessor.getReelName();

    if (! isNamedReel (name) || ! audioProcessor.hasUnsavedChanges())
    {
        ejectToLibrary();
        return;
    }

    auto* dialog = FlowDialog::create ("Eject Reel", "Do you want to save changes to '" + name + "' before ejecting?",
                                       1, &getEditorLook());
    FlowDialog::addButton (*dialog, "Save & Eject", 1);
    FlowDialog::addButton (*dialog, "Eject (Discard Changes)", 2);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (this), name] (int result, SafeAlertWindow&)
                      {
                          auto* target = safe.getComponent();
                          if (target == nullptr || result == 0)
                              return;

                          auto& processor = target->audioProcessor;

                          if (result == 1)
                          {
                              const auto saved = processor.saveReel (0);
                              if (saved.failed())
                              {
                                  // Ejecting now would throw the unsaved reel away.
                                  reportSaveFailure (*target, saved);
                                  return;
                              }
                          }
                          else
                          {
                              processor.reelLibrary.deleteRecoveryFolder (name.replace (recoveredSuffix, ""));
                          }

                          target->closeAllSecondaryWindows();
                          if (target->console != nullptr)
                              target->console->refreshAll();
                          target->ejectToLibrary();
                      });
}

void TavrelDelayAudioProcessorEditor::ejectToLibrary()
{
    closeAllSecondaryWindows();
    closeFlowWindows();
    audioProcessor.ejectReel();
    audioProcessor.setTransportState (TavrelDelayAudioProcessor::transportStop);

    if (tapeRoom != nullptr)
        tapeRoom->refreshReelList();

    tapeRoomShowing = true;
    backgroundCache = {};
    resized();
    repaint();
}
