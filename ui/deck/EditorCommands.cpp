// The menu command dispatcher: what each command number of the menu bar, its track picker and
// the shortcuts makes the editor do. Reel saving, snapshots and ejecting are in
// EditorReelSave.cpp, opening reels in EditorReelOpen.cpp.

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "storage/GlobalSettingsFile.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/instruments/MusicalTypingWindow.h"
#include "ui/looks/ThemeFile.h"
#include "ui/panels/AboutPanel.h"
#include "ui/panels/PerformanceWindow.h"
#include "ui/panels/SettingsPanel.h"
#include "ui/panels/ThemeEditorWindow.h"
#include "ui/panels/TrackReorderWindow.h"

#include <memory>

namespace
{
using Editor = TavrelDelayAudioProcessorEditor;

/** Rewrites one "0"/"1" switch of "global_settings.xml", keeping the rest of the document. A
    failed write is not reported: the switch still holds for this run. */
void writeGlobalSwitch (const char* attribute, bool on)
{
    GlobalSettingsFile::writeSwitches ({{attribute, on}});
}

/** Flips a switch parameter through the host-notifying setter; a missing parameter is skipped. */
bool toggleParameter (TavrelDelayAudioProcessor& processor, const char* parameterId)
{
    auto* parameter = processor.parameters.getParameter (parameterId);

    if (parameter == nullptr)
        return false;

    const bool turnOn = parameter->getValue() < 0.5f;
    parameter->setValueNotifyingHost (turnOn ? 1.0f : 0.0f);
    return turnOn;
}

void refreshConsole (Editor& editor)
{
    if (editor.console != nullptr)
    {
        editor.console->refreshAll();
        editor.console->repaint();
    }
}

void assignToGroup (Editor& editor, int commandId)
{
    auto& processor = editor.audioProcessor;
    const int c = commandId - MenuCommands::groupAssignBase;
    const int group = c / 100;
    const int channel = c % 100;

    if (channel < TavrelDelayAudioProcessor::numChannels)
    {
        const int current = processor.channelGroups[(size_t)channel].load();
        processor.channelGroups[(size_t)channel].exchange (current == group ? 0 : group);
        processor.unsavedChanges.exchange (true);
    }

    refreshConsole (editor);
}

void createGroup (Editor& editor)
{
    auto& processor = editor.audioProcessor;
    int group = 0;

    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups && group == 0; ++g)
        if (! processor.groupActive[(size_t)g])
            group = g;

    if (group == 0)
    {
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::InfoIcon, "Group Limit Reached",
                                                "You have reached the maximum of 8 track groups.");
        return;
    }

    // The group exists provisionally while its name is asked for.
    processor.groupActive[(size_t)group] = true;

    auto* dialog = FlowDialog::create ("Create Group", "New Group created! Enter a name:", 3);
    dialog->addTextEditor ("grpName", "Group " + juce::String (group));
    FlowDialog::addButton (*dialog, "Save", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (
        dialog,
        [safe = juce::Component::SafePointer<Editor> (&editor), group] (int result, SafeAlertWindow& shown)
        {
            auto* target = safe.getComponent();
            if (target == nullptr)
                return;

            auto& p = target->audioProcessor;
            if (result == 1)
            {
                p.setGroupName (group, shown.getTextEditorContents ("grpName"));
                refreshConsole (*target);
            }
            else
            {
                p.groupActive[(size_t)group] = false;
            }
        });
}

void renameGroups (Editor& editor)
{
    auto& processor = editor.audioProcessor;
    auto* dialog = FlowDialog::create ("Rename Groups", "Rename your active groups below:", 3, &editor.getEditorLook());

    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
        if (processor.groupActive[(size_t)g])
            dialog->addTextEditor ("grp" + juce::String (g), processor.getGroupName (g),
                                   "Group " + juce::String (g) + ":");

    FlowDialog::addButton (*dialog, "Save Names", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (&editor)] (int result, SafeAlertWindow& shown)
                      {
                          auto* target = safe.getComponent();
                          if (target == nullptr || result != 1)
                              return;

                          auto& p = target->audioProcessor;
                          for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
                              if (p.groupActive[(size_t)g])
                                  if (auto* field = shown.getTextEditor ("grp" + juce::String (g)))
                                      p.setGroupName (g, field->getText());

                          refreshConsole (*target);
                      });
}

void deleteAllGroups (Editor& editor)
{
    auto& processor = editor.audioProcessor;

    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
        processor.groupActive[(size_t)g] = false;

    // The aux returns keep theirs; names stay for the next group of that number.
    for (int channel = 0; channel < processor.numTracks && channel < TavrelDelayAudioProcessor::maxTracks; ++channel)
    {
        processor.channelGroups[(size_t)channel].exchange (0);
        processor.unsavedChanges.exchange (true);
    }

    refreshConsole (editor);
}

void eraseTrack (Editor& editor, int trackIndex)
{
    if (trackIndex < 0)
        return;

    FlowDialog::ask ("Erase Track " + juce::String (trackIndex + 1) + "?", "Permanently erase all audio on this track?",
                     2, "ERASE", nullptr,
                     [safe = juce::Component::SafePointer<Editor> (&editor), trackIndex]
                     {
                         // clearTrack checks the index against the open reel and holds the
                         // audio lock while the tape is cleared.
                         if (auto* target = safe.getComponent())
                             target->audioProcessor.clearTrack (trackIndex);
                     });
}

void clearTrackAutomation (Editor& editor, int trackIndex)
{
    if (trackIndex < 0)
        return;

    editor.audioProcessor.clearAutomation (trackIndex);

    if (trackIndex < TavrelDelayAudioProcessor::numChannels)
        editor.audioProcessor.automationModes[(size_t)trackIndex].exchange (TavrelDelayAudioProcessor::automationOff);

    if (editor.console != nullptr)
        editor.console->refreshAll();
}

void toggleDustCover (Editor& editor)
{
    if (editor.dustCover == nullptr || editor.useModernUI)
        return;

    const bool showing = editor.dustCover->isVisible() && ! editor.dustCover->isLifted();

    if (showing)
        editor.dustCover->lift();
    else
        editor.dustCover->drop();

    ThemeFile::writeSwitch ("showDustCover", ! showing, false);
}

void switchInterface (Editor& editor)
{
    editor.useModernUI = ! editor.useModernUI;
    ThemeFile::writeSwitch ("useModernUI", editor.useModernUI, true);

    auto& look = editor.getEditorLook();
    editor.setLookAndFeel (&look);
    juce::LookAndFeel::setDefaultLookAndFeel (&look);

    if (editor.dustCover != nullptr)
        editor.dustCover->setVisible (! editor.useModernUI && ! editor.dustCover->isLifted());

    editor.sendLookAndFeelChange();
    editor.backgroundCache = {};
    editor.overlayCache = {};
    editor.resized();
    editor.repaint();
}

void flipMinimalTheme (Editor& editor)
{
    // A light background (lightness 0.5 included) turns dark, a dark one light.
    editor.modernLook.setDarkMode (! ModernLookAndFeel::isDarkBackground (editor.modernLook.cBg));
    editor.sendLookAndFeelChange();
    editor.backgroundCache = {};
    editor.overlayCache = {};
    refreshConsole (editor);
    editor.repaint();
}

/** Replaces the overlay of that ID on the deck panel with a new one, centred at the size. */
void showOverlay (Editor& editor, const char* id, std::unique_ptr<juce::Component> overlay, int width, int height)
{
    while (auto* old = editor.deckPanel.findChildWithID (id))
    {
        editor.deckPanel.removeChildComponent (old);
        delete old;
    }

    auto* panel = overlay.release();
    panel->setComponentID (id);
    editor.deckPanel.addAndMakeVisible (panel);
    panel->setBounds (juce::Rectangle<int> (width, height).withCentre (editor.deckPanel.getLocalBounds().getCentre()));
}

void removeOverlay (juce::Component& deckPanel, const char* id)
{
    if (auto* panel = deckPanel.findChildWithID (id))
    {
        deckPanel.removeChildComponent (panel);
        delete panel;
    }
}

void openMetronomeSettings (Editor& editor)
{
    auto safe = juce::Component::SafePointer<Editor> (&editor);
    auto panel = std::make_unique<SettingsPanel> (
        editor.audioProcessor, editor,
        [safe]
        {
            // Never deleted from inside its own callback.
            juce::MessageManager::callAsync (
                [safe]
                {
                    if (auto* target = safe.getComponent())
                        removeOverlay (target->deckPanel, EditorIds::settingsPanel);
                });
        },
        1);
    showOverlay (editor, EditorIds::settingsPanel, std::move (panel), 500, 700);
}

void openAboutPanel (Editor& editor)
{
    auto safe = juce::Component::SafePointer<Editor> (&editor);
    auto panel = std::make_unique<AboutPanel> (
        [safe]
        {
            if (auto* target = safe.getComponent())
                removeOverlay (target->deckPanel, EditorIds::aboutPanel);
        });
    showOverlay (editor, EditorIds::aboutPanel, std::move (panel), 480, 420);

    if (auto* shown = editor.deckPanel.findChildWithID (EditorIds::aboutPanel))
    {
        shown->toFront (true);
    }
}

void openPerformanceWindow (Editor& editor)
{
    if (auto* open = editor.performanceWindow.getComponent())
    {
        open->toFront (true);
        return;
    }

    editor.performanceWindow = new PerformanceWindow (editor.audioProcessor, &editor.getEditorLook());
}

void chooseAudioToImport (Editor& editor)
{
    auto chooser = std::make_shared<juce::FileChooser> (
        "Import Audio", juce::File::getSpecialLocation (juce::File::userHomeDirectory), "*.wav;*.aiff;*.mp3;*.flac");
    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles |
                              juce::FileBrowserComponent::canSelectMultipleItems,
                          [safe = juce::Component::SafePointer<Editor> (&editor), chooser] (const juce::FileChooser& fc)
                          {
                              juce::StringArray files;
                              for (const auto& file : fc.getResults())
                                  if (file.getFullPathName().isNotEmpty() && file.existsAsFile())
                                      files.add (file.getFullPathName());

                              if (auto* target = safe.getComponent(); target != nullptr && ! files.isEmpty())
                                  target->filesDropped (files, 0, 0);
                          });
}

void chooseReelToOpen (Editor& editor)
{
    auto chooser =
        std::make_shared<juce::FileChooser> ("Open Reel", editor.audioProcessor.reelLibrary.getLibraryRoot());
    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles |
                              juce::FileBrowserComponent::canSelectDirectories,
                          [safe = juce::Component::SafePointer<Editor> (&editor), chooser] (const juce::FileChooser& fc)
                          {
                              if (auto* target = safe.getComponent())
                                  target->openReelChosen (fc.getResult());
                          });
}

void chooseLibraryFolder (Editor& editor)
{
    auto chooser = std::make_shared<juce::FileChooser> ("Select New Reels Library Folder",
                                                        editor.audioProcessor.reelLibrary.getLibraryRoot());
    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories,
                          [safe = juce::Component::SafePointer<Editor> (&editor), chooser] (const juce::FileChooser& fc)
                          {
                              auto* target = safe.getComponent();
                              const auto folder = fc.getResult();

                              if (target == nullptr || folder == juce::File() || ! folder.isDirectory())
                                  return;

                              if (! target->audioProcessor.reelLibrary.setLibraryFolder (folder))
                                  return;

                              if (target->tapeRoom != nullptr)
                                  target->tapeRoom->refreshReelList();

                              FlowDialog::notify (
                                  "Library Folder Changed",
                                  "Your reels folder has been updated to:\n" + folder.getFullPathName() +
                                      "\n\nAny existing reels in the old folder will need to be manually moved using "
                                      "your OS file explorer.",
                                  3);
                          });
}

void switchThirdPartyPlugins (Editor& editor)
{
    if (editor.audioProcessor.enableThirdPartyPlugins.load())
    {
        editor.storeEnable3rdPartyPlugins (false);
        return;
    }

    FlowDialog::ask ("Enable 3rd Party Plugins",
                     "3rd party AUv3 plugins may cause instability or excessive CPU usage.\n\n"
                     "Also, plugin window sizing may not be perfectly compatible with all developers.\n\n"
                     "Enable at your own risk?",
                     2, "Enable", nullptr,
                     [safe = juce::Component::SafePointer<Editor> (&editor)]
                     {
                         if (auto* target = safe.getComponent())
                             target->storeEnable3rdPartyPlugins (true);
                     });
}
} // namespace

void TavrelDelayAudioProcessorEditor::handleMenuCommand (int commandId, int trackIndex)
{
    namespace C = MenuCommands;

    if (commandId >= C::firstGroupAssign && commandId <= C::lastGroupAssign)
    {
        assignToGroup (*this, commandId);
        return;
    }

    if (commandId > C::loadMainMix)
        return;

    if (commandId == C::loadMainMix)
    {
        showSnapshotLoadDialog (0);
        return;
    }

    auto& processor = audioProcessor;

    switch (commandId)
    {
        case C::importAudio:
            chooseAudioToImport (*this);
            break;
        case C::bounceMix:
            mixdownButton.triggerClick();
            break;
        case C::closeReel:
        case C::closeReelToo:
            ejectClicked();
            break;
        case C::saveReel:
            saveReelClicked();
            break;
        case C::saveAs:
            showSaveAsDialog();
            break;
        case C::openReel:
            chooseReelToOpen (*this);
            break;
        case C::undo:
            undoButton.triggerClick();
            break;
        case C::cutLoop:
            processor.cutLoopRegion();
            break;
        case C::clearLoopPoints:
            processor.clearLoopPoints();
            repaint();
            break;
        case C::clearTapeDefects:
            processor.clearAllTapeDefects();
            break;
        case C::clearMidiMap:
            processor.clearMidiMap();
            break;
        case C::saveState2:
        case C::saveState3:
        case C::saveState4:
            showSnapshotSaveDialog (commandId - 10);
            break;
        case C::loadSlot1:
        case C::loadSlot2:
        case C::loadSlot3:
        case C::loadSlot4:
            showSnapshotLoadDialog (commandId - 14);
            break;
        case C::maskingTape:
            toggleMaskingTape();
            break;
        case C::dustCover:
            toggleDustCover (*this);
            break;
        case C::waveforms:
            waveButton.triggerClick();
            break;
        case C::tooltips:
            tooltipWindow.setEnabled (toggleParameter (processor, ParameterIds::SHOW_TIPS));
            break;
        case C::settings:
            if (tapeRoomShowing)
                openAudioSetupWindow ({}); // the device window's own entry point (audio device settings)
            else
                setupButton.triggerClick();
            break;
        case C::switchInterface:
            switchInterface (*this);
            break;
        case C::themeColours:
            new ThemeEditorWindow (*this, modernLook);
            break;
        case C::lightDarkTheme:
            flipMinimalTheme (*this);
            break;
        case C::eraseTrack:
            eraseTrack (*this, trackIndex);
            break;
        case C::clearTrackAutomation:
            clearTrackAutomation (*this, trackIndex);
            break;
        case C::reorderTracks:
            new TrackReorderWindow (processor,
                                    [safe = juce::Component::SafePointer<Editor> (this)]
                                    {
                                        if (auto* target = safe.getComponent())
                                            target->refreshConsole();
                                    });
            break;
        case C::createGroup:
            createGroup (*this);
            break;
        case C::renameGroups:
            renameGroups (*this);
            break;
        case C::deleteAllGroups:
            deleteAllGroups (*this);
            break;
        case C::play:
            playButton.triggerClick();
            break;
        case C::stop:
            stopButton.triggerClick();
            break;
        case C::record:
            recordButton.triggerClick();
            break;
        case C::rewind:
            rewindButton.triggerClick();
            break;
        case C::fastForward:
            fastForwardButton.triggerClick();
            break;
        case C::returnToZero:
            returnToZeroButton.triggerClick();
            break;
        case C::loop:
            loopButton.triggerClick();
            break;
        case C::loopIn:
            loopInButton.triggerClick();
            break;
        case C::loopOut:
            loopOutButton.triggerClick();
            break;
        case C::metronome:
            clickButton.triggerClick();
            break;
        case C::metronomeSettings:
            openMetronomeSettings (*this);
            break;
        case C::monitorMute:
            monitorMuteButton.triggerClick();
            break;
        case C::lowCpuMode:
            // The item shows LIGHT_GUI ticked, so choosing it switches low-CPU mode.
            toggleParameter (processor, ParameterIds::LIGHT_GUI);
            repaint();
            break;
        case C::autoWear:
            wearButton.triggerClick();
            break;
        case C::soundOnSound:
            soundOnSoundButton.triggerClick();
            break;
        case C::reverseTape:
            toggleParameter (processor, ParameterIds::REVERSE);
            repaint();
            break;
        case C::autoDisarm:
            writeGlobalSwitch ("disableAutoDisarm", toggleParameter (processor, ParameterIds::DISABLE_AUTO_DISARM));
            refreshConsole();
            break;
        case C::momentaryWind:
            writeGlobalSwitch ("momentaryTransport", toggleParameter (processor, ParameterIds::MOMENTARY_TRANSPORT));
            break;
        case C::varispeedSnap:
        {
            const bool snap = ! processor.varispeedMusicalSnap.load();
            processor.varispeedMusicalSnap.exchange (snap);
            writeGlobalSwitch ("varispeedMusicalSnap", snap);
            break;
        }
        case C::tapeHiss:
            toggleParameter (processor, ParameterIds::DISABLE_NOISE);
            break;
        case C::betaFeedback:
            betaFeedbackButton.triggerClick();
            break;
        case C::about:
            openAboutPanel (*this);
            break;
        case C::musicalKeyboard:
            // Keys the window does not use still reach the editor's shortcuts.
            MusicalTypingWindow::openOrShow (audioProcessor, musicalTypingWindow,
                                             [safe = juce::Component::SafePointer<Editor> (this)] (const juce::KeyPress& key)
                                             { return safe != nullptr && safe->keyPressed (key); });
            break;
        case C::libraryFolder:
            chooseLibraryFolder (*this);
            break;
        case C::performanceMonitor:
            openPerformanceWindow (*this);
            break;
        case C::thirdPartyPlugins:
            switchThirdPartyPlugins (*this);
            break;
        default:
            break;
    }
}

void TavrelDelayAudioProcessorEditor::storeEnable3rdPartyPlugins (bool on)
{
    audioProcessor.enableThirdPartyPlugins.exchange (on);
    writeGlobalSwitch ("enable3rdPartyPlugins", on);
}

juce::LookAndFeel& TavrelDelayAudioProcessorEditor::getEditorLook()
{
    return useModernUI ? static_cast<juce::LookAndFeel&> (modernLook) : customLook;
}

juce::String TavrelDelayAudioProcessorEditor::slotName (int slot)
{
    if (slot == 0)
        return "Main Mix";

    if (slot == 1)
        return "Auto-Save";

    return "Slot " + juce::String (slot);
}

void TavrelDelayAudioProcessorEditor::closeFlowWindows()
{
    for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
    {
        auto* window = juce::TopLevelWindow::getTopLevelWindow (i);

        if (auto* theme = dynamic_cast<ThemeEditorWindow*> (window); theme != nullptr && theme->editor == this)
            delete theme;
        else if (auto* reorder = dynamic_cast<TrackReorderWindow*> (window);
                 reorder != nullptr && &reorder->processor == &audioProcessor)
            delete reorder;
        else if (window != nullptr &&
                 (&window->getLookAndFeel() == &modernLook || &window->getLookAndFeel() == &customLook))
            window->setLookAndFeel (nullptr); // a dialog still open must not keep a look that may go
    }
}
