#include "app/MainAppMenuBar.h"
#include "app/MainWindow.h"
#include "rack/SafePluginScanner.h"
#include "tests/flows/FlowsTestSupport.h"
#include "ui/deck/MenuCommandIds.h"

using namespace FlowsTest;

namespace
{
/** The main window (whose content is the editor) with the menu bar installed. */
struct MenuBarFixture : public FlowsFixture
{
    void SetUp() override
    {
        FlowsFixture::SetUp();
        editor.reset(); // the window makes its own
        window = std::make_unique<MainWindow> ("Velmora Dravin 8", *processor);
        bar = std::make_unique<MainAppMenuBar> (*processor, *window);
        window->setMenuBar (bar.get());
    }

    void TearDown() override
    {
        dismissAllDialogs();
        window->setMenuBar (nullptr);
        bar.reset();
        window.reset();
        FlowsFixture::TearDown();
    }

    TavrelDelayAudioProcessorEditor& windowEditor()
    {
        return *dynamic_cast<TavrelDelayAudioProcessorEditor*> (window->getContentComponent());
    }

    juce::PopupMenu menu (const juce::String& name) { return bar->getMenuForIndex (0, name); }

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainAppMenuBar> bar;
};

struct FoundItem
{
    bool found = false;
    int id = 0;
    bool enabled = false;
    bool ticked = false;
    juce::String shortcut;
    const juce::PopupMenu* subMenu = nullptr;
};

FoundItem findItem (const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
    {
        const auto& item = it.getItem();
        if (item.text == text)
            return {true, item.itemID, item.isEnabled, item.isTicked, item.shortcutKeyDescription, item.subMenu.get()};
    }
    return {};
}

/** The texts of the menu's own items (not of its sub-menus), separators and headers left out. */
juce::StringArray itemTexts (const juce::PopupMenu& menu)
{
    juce::StringArray texts;
    for (juce::PopupMenu::MenuItemIterator it (menu, false); it.next();)
        if (! it.getItem().isSeparator && ! it.getItem().isSectionHeader)
            texts.add (it.getItem().text);
    return texts;
}
} // namespace

TEST (MenuBarTitle, NamesTheReelItsSlotAndUnsavedChanges)
{
    const struct
    {
        const char* reel;
        bool unsaved;
        int slot;
        const char* title;
    } cases[] = {
        {"", true, 0, "Velmora Dravin 8"},
        {"Untitled", true, 3, "Velmora Dravin 8"},
        {"Song", false, 0, "Velmora Dravin 8 - Song"},
        {"Song", true, 0, "Velmora Dravin 8 - Song*"},
        {"Song", false, 1, "Velmora Dravin 8 - Song  [AUTO-SAVE]"},
        {"Song", true, 3, "Velmora Dravin 8 - Song  [SLOT 3]*"},
        {"Song (Recovered)", false, 0, "Velmora Dravin 8 - Song (Recovered)"},
    };

    for (const auto& c : cases)
        EXPECT_EQ (MainAppMenuBar::makeTitle (c.reel, c.unsaved, c.slot), juce::String (c.title))
            << c.reel << " " << c.slot;
}

TEST_F (MenuBarFixture, TheWindowTitleFollowsTheOpenReel)
{
    bar->update();
    EXPECT_EQ (window->getName(), "Velmora Dravin 8");

    makeReel ("Song");
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));
    bar->update();
    EXPECT_EQ (window->getName(), "Velmora Dravin 8 - Song");

    processor->unsavedChanges = true;
    bar->update();
    EXPECT_EQ (window->getName(), "Velmora Dravin 8 - Song*");

    // A loaded snapshot slot shows in brackets.
    ASSERT_TRUE (processor->saveReel (3).wasOk());
    ASSERT_TRUE (processor->loadReel ("Song", 3));
    processor->clearUnsavedChanges();
    bar->update();
    EXPECT_EQ (window->getName(), "Velmora Dravin 8 - Song  [SLOT 3]");

    // The timer keeps it current on its own.
    processor->unsavedChanges = true;
    EXPECT_TRUE (runMessagesUntil ([&] { return window->getName().endsWith ("*"); }, 2000));
}

TEST_F (MenuBarFixture, TheShortBarWithoutAReelAndTheFullBarWithOne)
{
    EXPECT_EQ (bar->getMenuBarNames(), juce::StringArray ({"File", "Setup", "Help"}));
    EXPECT_EQ (itemTexts (menu ("File")), juce::StringArray ({"Open Reel...", "Quit"}));
    EXPECT_TRUE (findItem (menu ("Setup"), "Audio Device Settings...").found);
    EXPECT_EQ (findItem (menu ("File"), "Open Reel...").id, MenuCommands::openReel);
    EXPECT_EQ (findItem (menu ("File"), "Quit").id, MenuCommands::quit);

    makeReel ("Song");
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));

    EXPECT_EQ (bar->getMenuBarNames(),
               juce::StringArray ({"File", "Edit", "View", "Track", "Groups", "Transport", "Setup", "Help"}));
    EXPECT_EQ (itemTexts (menu ("File")),
               juce::StringArray ({"Open Reel...", "Import Audio...", "Bounce Mix...", "Close Reel (Return to Library)",
                                   "Save Reel", "Save As...", "Quit"}));
    EXPECT_TRUE (findItem (menu ("Setup"), "Settings...").found);
    EXPECT_EQ (menu ("Nonsense").getNumItems(), 0);
}

TEST_F (MenuBarFixture, SaveReelShowsItsBindingOrCtrlS)
{
    makeReel ("Song");
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));

    const auto ctrlS = juce::KeyPress ('s', juce::ModifierKeys::ctrlModifier, 0).getTextDescription();
    EXPECT_EQ (findItem (menu ("File"), "Save Reel").shortcut, ctrlS);

    const juce::KeyPress f5 (juce::KeyPress::F5Key);
    windowEditor().shortcutBindings["Save Reel"] = f5;
    EXPECT_EQ (findItem (menu ("File"), "Save Reel").shortcut, f5.getTextDescription());
}

TEST_F (MenuBarFixture, SnapshotItemsAreEnabledOnceTheirSlotExists)
{
    makeReel ("Song");
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));

    EXPECT_TRUE (findItem (menu ("Edit"), "Load Main Mix (Original)").enabled);
    EXPECT_FALSE (findItem (menu ("Edit"), "Load Slot 3").enabled);

    ASSERT_TRUE (processor->saveReel (3).wasOk());
    const auto slot3 = findItem (menu ("Edit"), "Load Slot 3");
    EXPECT_TRUE (slot3.enabled);
    EXPECT_EQ (slot3.id, MenuCommands::loadSlot3);
    EXPECT_FALSE (findItem (menu ("Edit"), "Load Slot 2").enabled);

    // A recovered reel offers the slots of its base name.
    processor->setReelName ("Song (Recovered)");
    EXPECT_TRUE (findItem (menu ("Edit"), "Load Slot 3").enabled);
}

TEST_F (MenuBarFixture, GroupSubMenusNumberTheirTracks)
{
    makeReel ("Song", 16);
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));
    processor->parameters.state.setProperty ("TrackName_2", "Bass", nullptr);
    for (int g = 1; g <= 8; ++g)
        processor->groupActive[(size_t)g] = g == 1 || g == 3;
    processor->channelGroups[4] = 3;

    const auto groupsMenu = menu ("Groups");
    const auto assign = findItem (groupsMenu, "Assign Tracks...");
    ASSERT_NE (assign.subMenu, nullptr);
    const auto groups = itemTexts (*assign.subMenu);
    ASSERT_EQ (groups.size(), 2);
    EXPECT_TRUE (groups[0].endsWith (" (Red)"));
    EXPECT_TRUE (groups[1].endsWith (" (Green)"));

    const auto green = findItem (*assign.subMenu, groups[1]);
    ASSERT_NE (green.subMenu, nullptr);
    EXPECT_EQ (itemTexts (*green.subMenu).size(), 16);
    EXPECT_EQ (itemTexts (*green.subMenu)[1], "Track 2 (Bass)");

    const auto track5 = findItem (*green.subMenu, "Track 5");
    EXPECT_EQ (track5.id, 7304);
    EXPECT_EQ (track5.id, MenuCommands::groupAssignItem (3, 5));
    EXPECT_TRUE (track5.ticked);
    EXPECT_FALSE (findItem (*green.subMenu, "Track 6").ticked);

    // Choosing it reaches the dispatcher: track 5 leaves group 3.
    bar->menuItemSelected (7304, 4);
    EXPECT_EQ (processor->channelGroups[4].load(), 0);
}

TEST_F (MenuBarFixture, TicksFollowTheProcessor)
{
    makeReel ("Song");
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));

    auto* noise = processor->parameters.getParameter ("DISABLE_NOISE");
    noise->setValueNotifyingHost (0.0f);
    EXPECT_TRUE (findItem (menu ("Transport"), "Print Tape Hiss").ticked);
    noise->setValueNotifyingHost (1.0f);
    EXPECT_FALSE (findItem (menu ("Transport"), "Print Tape Hiss").ticked);

    processor->loopEnabled = true;
    EXPECT_TRUE (findItem (menu ("Transport"), "Loop Playback").ticked);

    // The minimal interface offers its theme items.
    EXPECT_FALSE (findItem (menu ("View"), "Edit Minimal Theme Colors...").found);
    bar->menuItemSelected (MenuCommands::switchInterface, 2);
    EXPECT_TRUE (windowEditor().useModernUI);
    EXPECT_TRUE (findItem (menu ("View"), "Switch to Normal UI").found);
    EXPECT_TRUE (findItem (menu ("View"), "Edit Minimal Theme Colors...").found);
    EXPECT_FALSE (findItem (menu ("View"), "Show Dust Cover").enabled);
    bar->menuItemSelected (MenuCommands::switchInterface, 2);
}

TEST_F (MenuBarFixture, TheTrackPickerSendsTheChosenTrackOrNothing)
{
    makeReel ("Song");
    ASSERT_TRUE (windowEditor().openReelAndResetView ("Song", 0));
    processor->parameters.state.setProperty ("TrackName_2", "Bass", nullptr);
    processor->automationModes[0] = TavrelDelayAudioProcessor::automationWrite;

    bar->menuItemSelected (MenuCommands::clearAutomationPicker, 3);
    auto* picker = waitForDialog ("Clear Automation");
    ASSERT_NE (picker, nullptr);
    auto* box = picker->getComboBoxComponent ("trackIdx");
    ASSERT_NE (box, nullptr);
    EXPECT_EQ (box->getNumItems(), 8);
    EXPECT_EQ (box->getItemText (1), "Track 2 (Bass)");
    EXPECT_EQ (box->getSelectedId(), 1);

    ASSERT_TRUE (answer ("Clear Automation", "Cancel"));
    EXPECT_EQ (processor->automationModes[0].load(), TavrelDelayAudioProcessor::automationWrite);

    bar->menuItemSelected (MenuCommands::clearAutomationPicker, 3);
    ASSERT_TRUE (answer ("Clear Automation", "OK"));
    EXPECT_EQ (processor->automationModes[0].load(), TavrelDelayAudioProcessor::automationOff);
}

TEST_F (MenuBarFixture, PluginManagerChangesForgetAtOnceOrScanNewFiles)
{
    auto& list = processor->knownPluginList;
    for (const auto* file : {"/plugins/Keep.vst3", "/plugins/Drop.vst3"})
    {
        juce::PluginDescription description;
        description.name = juce::File (file).getFileNameWithoutExtension();
        description.fileOrIdentifier = file;
        description.pluginFormatName = "VST3";
        description.uniqueId = description.name.hashCode();
        list.addType (description);
    }

    const auto listFile = Platform::getUserDataFolder().getChildFile ("known_plugins.xml");
    listFile.deleteFile();

    // Only removals: the list is written at once.
    bar->applyPluginManagerChanges ({"/plugins/Keep.vst3"}, {"/plugins/Drop.vst3"});
    ASSERT_EQ (list.getNumTypes(), 1);
    EXPECT_EQ (list.getTypes()[0].fileOrIdentifier, "/plugins/Keep.vst3");
    ASSERT_TRUE (listFile.existsAsFile());
    EXPECT_FALSE (listFile.loadFileAsString().contains ("Drop.vst3"));

    // A file not known yet is scanned instead.
    listFile.deleteFile();
    bar->applyPluginManagerChanges ({"/plugins/Keep.vst3", "/plugins/New.vst3"}, {});
    EXPECT_EQ (SafePluginScanner::getNumRunning(), 1);
    EXPECT_TRUE (runMessagesUntil ([] { return SafePluginScanner::getNumRunning() == 0; }, 20000));
}
