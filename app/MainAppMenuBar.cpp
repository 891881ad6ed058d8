#include "app/MainAppMenuBar.h"

#include "app/AppTexts.h"
#include "app/MainWindow.h"
#include "app/SafeAlertWindow.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/PluginManagerResult.h"
#include "rack/PluginManagerWindow.h"
#include "rack/PluginScanner.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/looks/ThemeFile.h"

namespace
{
namespace C = MenuCommands;

constexpr const char* recoveredSuffix = " (Recovered)";
constexpr const char* groupColourWords[] = {" (Red)",    " (Blue)", " (Green)",  " (Yellow)",
                                            " (Purple)", " (Cyan)", " (Orange)", " (Pink)"};

juce::PopupMenu::Item makeItem (const juce::String& text, int id, bool enabled = true, bool ticked = false,
                                const juce::String& shortcut = {})
{
    juce::PopupMenu::Item item (text);
    item.itemID = id;
    item.isEnabled = enabled;
    item.isTicked = ticked;
    item.shortcutKeyDescription = shortcut;
    return item;
}

juce::String ctrlKey (char key, bool shift = false)
{
    const auto modifiers = juce::ModifierKeys::ctrlModifier | (shift ? juce::ModifierKeys::shiftModifier : 0);
    return juce::KeyPress (key, modifiers, 0).getTextDescription();
}
} // namespace

MainAppMenuBar::MainAppMenuBar (TavrelDelayAudioProcessor& p, MainWindow& window) : processor (&p), mainWindow (&window)
{
    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
        cachedGroupNames.add (processor->getGroupName (g));

    startTimer (250);
}

MainAppMenuBar::~MainAppMenuBar()
{
    stopTimer();
}

TavrelDelayAudioProcessorEditor* MainAppMenuBar::getEditor() const
{
    return mainWindow != nullptr ? dynamic_cast<TavrelDelayAudioProcessorEditor*> (mainWindow->getContentComponent())
                                 : nullptr;
}

juce::String MainAppMenuBar::baseReelName() const
{
    return processor->getReelName().replace (recoveredSuffix, "");
}

bool MainAppMenuBar::hasNamedReel() const
{
    const auto name = processor->getReelName();
    return name.isNotEmpty() && name != AppTexts::untitledReel;
}

juce::String MainAppMenuBar::trackLabel (int track) const
{
    const auto name = processor->parameters.state.getProperty ("TrackName_" + juce::String (track)).toString();
    auto text = "Track " + juce::String (track);

    if (name.isNotEmpty())
        text << " (" << name << ")";

    return text;
}

//==============================================================================
juce::StringArray MainAppMenuBar::getMenuBarNames()
{
    if (! hasNamedReel())
        return {"File", "Setup", "Help"};

    return {"File", "Edit", "View", "Track", "Groups", "Transport", "Setup", "Help"};
}

juce::PopupMenu MainAppMenuBar::getMenuForIndex (int, const juce::String& menuName)
{
    if (menuName == "File")
        return makeFileMenu();
    if (menuName == "Edit")
        return makeEditMenu();
    if (menuName == "View")
        return makeViewMenu();
    if (menuName == "Track")
        return makeTrackMenu();
    if (menuName == "Groups")
        return makeGroupsMenu();
    if (menuName == "Transport")
        return makeTransportMenu();
    if (menuName == "Setup")
        return makeSetupMenu();
    if (menuName == "Help")
        return makeHelpMenu();

    return {};
}

juce::String MainAppMenuBar::bindingText (const juce::String& action) const
{
    if (auto* editor = getEditor())
        if (auto found = editor->shortcutBindings.find (action); found != editor->shortcutBindings.end())
            if (found->second.getKeyCode() != 0)
                return found->second.getTextDescription();

    return {};
}

bool MainAppMenuBar::parameterOn (const char* parameterId) const
{
    if (auto* value = processor->parameters.getRawParameterValue (parameterId))
        return value->load() > 0.5f;

    return false;
}

bool MainAppMenuBar::minimalInterfaceOn() const
{
    if (auto* editor = getEditor())
        return editor->useModernUI;

    return ThemeFile::readSwitch ("useModernUI", false);
}

bool MainAppMenuBar::minimalThemeIsDark() const
{
    if (auto* editor = getEditor())
        return editor->modernLook.isDark();

    const auto theme = ThemeFile::read();
    if (theme == nullptr)
        return false;

    return ModernLookAndFeel::isDarkBackground (ThemeFile::parseColour (theme->getStringAttribute ("cBg", "ffe2e5e7")));
}

juce::PopupMenu MainAppMenuBar::makeFileMenu()
{
    juce::PopupMenu menu;
    menu.addItem (makeItem ("Open Reel...", C::openReel, true, false, ctrlKey ('o')));
    menu.addSeparator();

    if (hasNamedReel())
    {
        menu.addItem (makeItem ("Import Audio...", C::importAudio));
        menu.addItem (makeItem ("Bounce Mix...", C::bounceMix));
        menu.addSeparator();
        menu.addItem (makeItem ("Close Reel (Return to Library)", C::closeReel));
        const auto saveKey = bindingText ("Save Reel");
        menu.addItem (makeItem ("Save Reel", C::saveReel, true, false, saveKey.isNotEmpty() ? saveKey : ctrlKey ('s')));
        menu.addItem (makeItem ("Save As...", C::saveAs, true, false, ctrlKey ('s', true)));
        menu.addSeparator();
    }

    menu.addItem (makeItem ("Quit", C::quit));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeEditMenu()
{
    const auto base = baseReelName();
    const bool named = base.isNotEmpty() && base != AppTexts::untitledReel;
    const auto slotExists = [&] (int slot) { return named && processor->reelLibrary.hasSnapshot (base, slot); };

    juce::PopupMenu snapshots;
    snapshots.addSectionHeader ("Save State");
    snapshots.addItem (makeItem ("Save State to Slot 2", C::saveState2, true, false, bindingText ("Save State 2")));
    snapshots.addItem (makeItem ("Save State to Slot 3", C::saveState3, true, false, bindingText ("Save State 3")));
    snapshots.addItem (makeItem ("Save State to Slot 4", C::saveState4));
    snapshots.addSeparator();
    snapshots.addSectionHeader ("Load State");
    snapshots.addItem (makeItem ("Load Main Mix (Original)", C::loadMainMix, named));
    snapshots.addItem (makeItem ("Load Slot 1 (Auto-Saved 10m)", C::loadSlot1, slotExists (1), false,
                                 bindingText ("Load Auto-Save (Slot 1)")));
    snapshots.addItem (makeItem ("Load Slot 2", C::loadSlot2, slotExists (2), false, bindingText ("Load State 2")));
    snapshots.addItem (makeItem ("Load Slot 3", C::loadSlot3, slotExists (3), false, bindingText ("Load State 3")));
    snapshots.addItem (makeItem ("Load Slot 4", C::loadSlot4, slotExists (4)));

    juce::PopupMenu menu;
    menu.addSubMenu ("Snapshots (Save States)", snapshots, true);
    menu.addSeparator();
    menu.addItem (makeItem ("Clear Loop Points", C::clearLoopPoints));
    menu.addItem (makeItem ("Clear All Tape Defects", C::clearTapeDefects));
    menu.addItem (makeItem ("Clear MIDI Map", C::clearMidiMap));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeViewMenu()
{
    auto* editor = getEditor();
    const bool minimal = minimalInterfaceOn();
    const bool coverShown = editor != nullptr && editor->dustCover != nullptr && editor->dustCover->isVisible() &&
                            ! editor->dustCover->isLifted() && ! minimal;

    juce::PopupMenu menu;
    menu.addItem (makeItem ("Masking Tape (Scribble Strip)", C::maskingTape, true,
                            (bool)processor->parameters.state.getProperty ("ShowMaskingTape", false)));
    menu.addItem (makeItem ("Waveform Visualizer", C::waveforms, true, parameterOn (ParameterIds::SHOW_WAVE)));
    menu.addItem (makeItem ("Show Tooltips", C::tooltips, true, parameterOn (ParameterIds::SHOW_TIPS)));
    menu.addSeparator();
    menu.addItem (makeItem ("Show Dust Cover", C::dustCover, ! minimal, coverShown));
    menu.addItem (makeItem (minimal ? "Switch to Normal UI" : "Switch to Minimal UI", C::switchInterface));

    if (minimal)
    {
        menu.addItem (makeItem ("Edit Minimal Theme Colors...", C::themeColours));
        menu.addItem (
            makeItem (minimalThemeIsDark() ? "Minimal UI: Light Mode" : "Minimal UI: Dark Mode", C::lightDarkTheme));
    }

    menu.addSeparator();
    menu.addItem (makeItem ("Musical Keyboard...", C::musicalKeyboard));
    menu.addSeparator();
    menu.addItem (makeItem ("Performance Monitor...", C::performanceMonitor));
    menu.addItem (makeItem ("Low CPU Mode", C::lowCpuMode, true, parameterOn (ParameterIds::LIGHT_GUI)));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeTrackMenu()
{
    juce::PopupMenu menu;
    menu.addItem (makeItem ("Erase Audio from Track...", C::eraseTrackPicker));
    menu.addItem (makeItem ("Clear Automation from Track...", C::clearAutomationPicker));
    menu.addSeparator();
    menu.addItem (makeItem ("Reorder Tracks...", C::reorderTracks));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeGroupsMenu()
{
    juce::PopupMenu assign;
    const int numTracks = (int)processor->tracks.size();

    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
    {
        if (! processor->groupActive[(size_t)g])
            continue;

        juce::PopupMenu group;
        for (int track = 1; track <= numTracks && track <= TavrelDelayAudioProcessor::maxTracks; ++track)
            group.addItem (makeItem (trackLabel (track), C::groupAssignItem (g, track), true,
                                     processor->channelGroups[(size_t)(track - 1)].load() == g));

        auto name = processor->getGroupName (g);
        if (name.isEmpty())
            name = "Group " + juce::String (g);

        assign.addSubMenu (name + groupColourWords[g - 1], group);
    }

    juce::PopupMenu menu;
    menu.addItem (makeItem ("Create New Group...", C::createGroup));
    menu.addItem (makeItem ("Rename Groups...", C::renameGroups));
    menu.addSeparator();
    menu.addSubMenu ("Assign Tracks...", assign);
    menu.addSeparator();
    menu.addItem (makeItem ("Delete All Groups", C::deleteAllGroups));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeTransportMenu()
{
    juce::PopupMenu menu;
    menu.addItem (makeItem ("Loop Playback", C::loop, true, processor->loopEnabled.load()));
    menu.addItem (makeItem ("Metronome (Enable)", C::metronome, true, processor->clickTrack != nullptr));
    menu.addItem (makeItem ("Metronome Settings...", C::metronomeSettings));
    menu.addSeparator();
    menu.addItem (
        makeItem ("Direct Monitor (Mute Input)", C::monitorMute, true, parameterOn (ParameterIds::DIRECT_MON)));
    menu.addItem (makeItem ("Sound On Sound", C::soundOnSound, true, parameterOn (ParameterIds::SOUND_ON_SOUND)));
    menu.addItem (makeItem ("Auto-Wear Tape", C::autoWear, true, parameterOn (ParameterIds::DEGRADE_ON)));
    menu.addItem (makeItem ("Print Tape Hiss", C::tapeHiss, true, ! parameterOn (ParameterIds::DISABLE_NOISE)));
    menu.addItem (makeItem ("Reverse Tape", C::reverseTape, true, parameterOn (ParameterIds::REVERSE)));
    menu.addItem (
        makeItem ("Momentary Rewind/FFWD", C::momentaryWind, true, parameterOn (ParameterIds::MOMENTARY_TRANSPORT)));
    menu.addItem (makeItem ("Snap Varispeed to Musical Intervals", C::varispeedSnap, true,
                            processor->varispeedMusicalSnap.load()));
    menu.addSeparator();
    menu.addItem (
        makeItem ("Disable Auto-Disarm on Stop", C::autoDisarm, true, parameterOn (ParameterIds::DISABLE_AUTO_DISARM)));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeSetupMenu()
{
    juce::PopupMenu menu;
    menu.addItem (makeItem (hasNamedReel() ? "Settings..." : "Audio Device Settings...", C::settings));
    menu.addSeparator();
    menu.addItem (makeItem ("Change Library Folder...", C::libraryFolder));
    menu.addSeparator();
    menu.addItem (makeItem ("Manage Plugins...", C::pluginManager));
    return menu;
}

juce::PopupMenu MainAppMenuBar::makeHelpMenu()
{
    juce::PopupMenu menu;
    menu.addItem (makeItem ("About Dravin 8...", C::about));
    menu.addSeparator();
    menu.addItem (makeItem ("Send Beta Feedback...", C::betaFeedback));
    return menu;
}

//==============================================================================
void MainAppMenuBar::menuItemSelected (int menuItemID, int)
{
    if (menuItemID == C::eraseTrackPicker || menuItemID == C::clearAutomationPicker)
    {
        openTrackPicker (menuItemID);
        return;
    }

    if (menuItemID == C::pluginManager)
    {
        openPluginManager();
        return;
    }

    if (auto* editor = getEditor())
        editor->handleMenuCommand (menuItemID, -1);

    if (menuItemID == C::quit)
        if (auto* app = juce::JUCEApplication::getInstance())
            app->systemRequestedQuit();

    menuItemsChanged();

    // The bar is drawn by the look: installed anew so it takes the new interface's look.
    if (menuItemID == C::switchInterface && mainWindow != nullptr)
    {
        mainWindow->setMenuBar (nullptr);
        mainWindow->setMenuBar (this);
    }
}

void MainAppMenuBar::openTrackPicker (int pickerItem)
{
    const auto title = pickerItem == C::eraseTrackPicker ? "Erase Audio" : "Clear Automation";
    auto* dialog = FlowDialog::create (title, "Select a track:", 1);

    juce::StringArray tracks;
    for (int track = 1; track <= (int)processor->tracks.size(); ++track)
        tracks.add (trackLabel (track));

    dialog->addComboBox ("trackIdx", tracks, "Track:");
    if (auto* box = dialog->getComboBoxComponent ("trackIdx"); box != nullptr && box->getNumItems() > 0)
        box->setSelectedId (1, juce::dontSendNotification);

    FlowDialog::addButton (*dialog, "OK", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (
        dialog,
        [weak = juce::WeakReference<MainAppMenuBar> (this), pickerItem] (int result, SafeAlertWindow& shown)
        {
            if (auto* bar = weak.get())
                bar->trackPickerFinished (result, pickerItem, shown);
        });
    dialog->grabKeyboardFocus();
}

void MainAppMenuBar::trackPickerFinished (int result, int pickerItem, SafeAlertWindow& dialog)
{
    if (result == 1)
    {
        const auto* box = dialog.getComboBoxComponent ("trackIdx");
        const int chosen = box != nullptr ? box->getSelectedId() : 0;

        if (chosen >= 1)
            if (auto* editor = getEditor())
                editor->handleMenuCommand (pickerItem == C::eraseTrackPicker ? C::eraseTrack : C::clearTrackAutomation,
                                           chosen - 1);
    }

    menuItemsChanged();
}

void MainAppMenuBar::openPluginManager()
{
    const PluginScanner scanner (processor->pluginFormatManager, processor->knownPluginList);
    const auto files = scanner.discoverPluginFiles();

    new PluginManagerWindow (files, &processor->knownPluginList,
                             [weak = juce::WeakReference<MainAppMenuBar> (this)] (const juce::StringArray& toScan,
                                                                                  const juce::StringArray& toRemove)
                             {
                                 if (auto* bar = weak.get())
                                     bar->applyPluginManagerChanges (toScan, toRemove);
                             });
}

void MainAppMenuBar::applyPluginManagerChanges (const juce::StringArray& filesToScan,
                                                const juce::StringArray& filesToRemove)
{
    PluginManagerResult::apply (*processor, filesToScan, filesToRemove);
}

//==============================================================================
juce::String MainAppMenuBar::makeTitle (const juce::String& reelName, bool unsaved, int currentSlot)
{
    juce::String title (AppTexts::applicationName);

    if (reelName.isEmpty() || reelName == AppTexts::untitledReel)
        return title;

    title << " - " << reelName;

    if (currentSlot == 1)
        title << "  [AUTO-SAVE]";
    else if (currentSlot >= 2 && currentSlot <= 4)
        title << "  [SLOT " << currentSlot << "]";

    if (unsaved)
        title << "*";

    return title;
}

void MainAppMenuBar::timerCallback()
{
    update();
}

void MainAppMenuBar::update()
{
    // Secondary windows float over the main window only while this program is in front.
    const bool foreground = juce::Process::isForegroundProcess();
    if (foreground != appInForeground)
    {
        appInForeground = foreground;
        for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
            if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window != mainWindow)
                window->setAlwaysOnTop (foreground);
    }

    bool groupNamesChanged = false;
    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
    {
        const auto name = processor->getGroupName (g);
        if (cachedGroupNames.size() < g)
        {
            cachedGroupNames.add (name);
            groupNamesChanged = true;
        }
        else if (cachedGroupNames[g - 1] != name)
        {
            cachedGroupNames.set (g - 1, name);
            groupNamesChanged = true;
        }
    }

    const auto reelName = processor->getReelName();
    const bool dirty = processor->hasUnsavedChanges();
    const int slot = processor->currentSlot.load();
    const auto base = baseReelName();
    std::array<bool, 4> slots{};
    for (int k = 1; k <= 4; ++k)
        slots[(size_t)(k - 1)] = processor->reelLibrary.hasSnapshot (base, k);

    if (reelName != lastReelName || dirty != lastDirty || slots != lastSlotExists || slot != lastCurrentSlot)
    {
        lastReelName = reelName;
        lastDirty = dirty;
        lastSlotExists = slots;
        lastCurrentSlot = slot;

        if (mainWindow != nullptr)
            mainWindow->setName (makeTitle (reelName, dirty, slot));

        menuItemsChanged();
        return;
    }

    if (groupNamesChanged)
        menuItemsChanged();
}
