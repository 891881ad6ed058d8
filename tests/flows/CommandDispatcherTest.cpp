#include "engine/ParameterIds.h"
#include "tests/flows/FlowsTestSupport.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/looks/ThemeFile.h"
#include "ui/panels/AboutPanel.h"
#include "ui/panels/PerformanceWindow.h"

using namespace FlowsTest;

namespace
{
using Fixture = FlowsFixture;

/** What the dispatcher may touch, to see that a command left it alone. */
struct GroupState
{
    std::array<int, TavrelDelayAudioProcessor::numChannels> channels{};
    std::array<bool, TavrelDelayAudioProcessor::numGroups + 1> active{};
    bool unsaved = false;

    explicit GroupState (TavrelDelayAudioProcessor& p)
    {
        for (size_t i = 0; i < channels.size(); ++i)
            channels[i] = p.channelGroups[i].load();
        active = p.groupActive;
        unsaved = p.unsavedChanges.load();
    }

    bool operator== (const GroupState& other) const
    {
        return channels == other.channels && active == other.active && unsaved == other.unsaved;
    }
};
} // namespace

TEST_F (Fixture, IdsOutsideTheTableDoNothing)
{
    processor->clearUnsavedChanges();
    const GroupState before (*processor);

    for (const int id : {0, -5, 60, 2999, 3001, 4097, 5001, 7099, 7900, 8001})
    {
        editor->handleMenuCommand (id, -1);
        runMessages (10);
        EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr) << id;
        EXPECT_TRUE (GroupState (*processor) == before) << id;
    }
}

TEST_F (Fixture, GroupAssignmentTogglesAChannelAndIgnoresChannelsBeyondTheAuxReturns)
{
    editor->handleMenuCommand (7105, -1);
    EXPECT_EQ (processor->channelGroups[5].load(), 1);
    EXPECT_TRUE (processor->unsavedChanges.load());

    editor->handleMenuCommand (7105, -1);
    EXPECT_EQ (processor->channelGroups[5].load(), 0);

    // Another group takes the channel over.
    editor->handleMenuCommand (7805, -1);
    editor->handleMenuCommand (7305, -1);
    EXPECT_EQ (processor->channelGroups[5].load(), 3);

    editor->handleMenuCommand (7325, -1); // aux return 2
    EXPECT_EQ (processor->channelGroups[25].load(), 3);

    processor->clearUnsavedChanges();
    const GroupState before (*processor);
    editor->handleMenuCommand (7126, -1);
    editor->handleMenuCommand (7899, -1);
    EXPECT_TRUE (GroupState (*processor) == before);
}

TEST_F (Fixture, CreatingAGroupTakesTheLowestFreeOneAndCancelLeavesNoGroup)
{
    for (int g = 1; g <= 8; ++g)
        processor->groupActive[(size_t)g] = g <= 2;

    editor->handleMenuCommand (MenuCommands::createGroup, -1);
    auto* dialog = waitForDialog ("Create Group");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getTextEditorContents ("grpName"), "Group 3");
    EXPECT_TRUE (processor->groupActive[3]);
    ASSERT_TRUE (answer ("Create Group", "Cancel"));
    EXPECT_FALSE (processor->groupActive[3]);

    editor->handleMenuCommand (MenuCommands::createGroup, -1);
    ASSERT_NE (waitForDialog ("Create Group"), nullptr);
    FlowDialog::findOpenDialog ("Create Group")->getTextEditor ("grpName")->setText ("Drums");
    ASSERT_TRUE (answer ("Create Group", "Save"));
    EXPECT_TRUE (processor->groupActive[3]);
    EXPECT_EQ (processor->getGroupName (3), "Drums");
}

TEST_F (Fixture, ANinthGroupIsRefused)
{
    for (int g = 1; g <= 8; ++g)
        processor->groupActive[(size_t)g] = true;

    editor->handleMenuCommand (MenuCommands::createGroup, -1);
    auto* notice = waitForDialog ("Group Limit Reached");
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (FlowDialog::findOpenDialog ("Create Group"), nullptr);
    notice->exitModalState (0);
    runMessages (20);
}

TEST_F (Fixture, RenamingAndDeletingGroups)
{
    for (int g = 1; g <= 8; ++g)
        processor->groupActive[(size_t)g] = g == 2 || g == 5;
    processor->setGroupName (2, "Vox");

    editor->handleMenuCommand (MenuCommands::renameGroups, -1);
    auto* dialog = waitForDialog ("Rename Groups");
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getTextEditor ("grp1"), nullptr);
    ASSERT_NE (dialog->getTextEditor ("grp2"), nullptr);
    EXPECT_EQ (dialog->getTextEditorContents ("grp2"), "Vox");
    dialog->getTextEditor ("grp2")->setText ("");
    dialog->getTextEditor ("grp5")->setText ("Keys");
    ASSERT_TRUE (answer ("Rename Groups", "Save Names"));
    EXPECT_EQ (processor->getGroupName (2), "");
    EXPECT_EQ (processor->getGroupName (5), "Keys");

    // Deleting keeps the names and the aux returns' groups.
    processor->channelGroups[3] = 5;
    processor->channelGroups[24] = 2;
    editor->handleMenuCommand (MenuCommands::deleteAllGroups, -1);
    for (int g = 1; g <= 8; ++g)
        EXPECT_FALSE (processor->groupActive[(size_t)g]);
    EXPECT_EQ (processor->channelGroups[3].load(), 0);
    EXPECT_EQ (processor->channelGroups[24].load(), 2);
    EXPECT_EQ (processor->getGroupName (5), "Keys");
}

TEST_F (Fixture, SwitchesFlipTheirParametersAndTheStoredOnesReachTheSettingsFile)
{
    const auto value = [this] (const char* id) { return processor->parameters.getParameter (id)->getValue(); };
    const auto settingsFile = Platform::getUserDataFolder().getChildFile ("global_settings.xml");
    settingsFile.replaceWithText ("not xml");

    const float reverseBefore = value (ParameterIds::REVERSE);
    editor->handleMenuCommand (MenuCommands::reverseTape, -1);
    EXPECT_NE (value (ParameterIds::REVERSE), reverseBefore);

    editor->handleMenuCommand (MenuCommands::autoDisarm, -1);
    editor->handleMenuCommand (MenuCommands::varispeedSnap, -1);
    const bool disarm = value (ParameterIds::DISABLE_AUTO_DISARM) > 0.5f;

    auto xml = juce::parseXML (settingsFile);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "SETTINGS");
    EXPECT_EQ (xml->getStringAttribute ("disableAutoDisarm"), disarm ? "1" : "0");
    EXPECT_EQ (xml->getStringAttribute ("varispeedMusicalSnap"), processor->varispeedMusicalSnap.load() ? "1" : "0");
    EXPECT_TRUE (processor->varispeedMusicalSnap.load());

    // The plug-in switch warns before it turns on, and turns off without asking.
    editor->handleMenuCommand (MenuCommands::thirdPartyPlugins, -1);
    ASSERT_TRUE (answer ("Enable 3rd Party Plugins", "Enable"));
    EXPECT_TRUE (processor->enableThirdPartyPlugins.load());
    editor->handleMenuCommand (MenuCommands::thirdPartyPlugins, -1);
    EXPECT_FALSE (processor->enableThirdPartyPlugins.load());
    EXPECT_EQ (juce::parseXML (settingsFile)->getStringAttribute ("enable3rdPartyPlugins"), "0");
}

TEST_F (Fixture, EraseAsksAndChecksTheTrack)
{
    openChangedReel ("Song");
    auto& track = processor->tracks[2];
    track.getAudio().setSample (0, 10, 0.5f);
    track.recordedLength = 100;

    editor->handleMenuCommand (MenuCommands::eraseTrack, -1);
    runMessages (20);
    EXPECT_EQ (FlowDialog::findOpenDialog(), nullptr);

    // A track the reel does not have is asked about but not erased (nothing to erase).
    editor->handleMenuCommand (MenuCommands::eraseTrack, 30);
    ASSERT_TRUE (answer ("Erase Track 31?", "ERASE"));

    editor->handleMenuCommand (MenuCommands::eraseTrack, 2);
    ASSERT_TRUE (answer ("Erase Track 3?", "Cancel"));
    EXPECT_EQ (track.recordedLength, 100);

    editor->handleMenuCommand (MenuCommands::eraseTrack, 2);
    ASSERT_TRUE (answer ("Erase Track 3?", "ERASE"));
    EXPECT_EQ (track.recordedLength, 0);
    EXPECT_EQ (track.getAudio().getSample (0, 10), 0.0f);
    EXPECT_TRUE (track.dirty.load());
}

TEST_F (Fixture, OverlaysAndWindowsOpenOnce)
{
    openChangedReel ("Song");

    editor->handleMenuCommand (MenuCommands::about, -1);
    editor->handleMenuCommand (MenuCommands::about, -1);
    int about = 0;
    for (auto* child : editor->deckPanel.getChildren())
        about += child->getComponentID() == EditorIds::aboutPanel ? 1 : 0;
    EXPECT_EQ (about, 1);

    auto* panel = dynamic_cast<AboutPanel*> (editor->deckPanel.findChildWithID (EditorIds::aboutPanel));
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->getWidth(), 480);
    panel->closeButton.triggerClick();
    EXPECT_TRUE (
        runMessagesUntil ([&] { return editor->deckPanel.findChildWithID (EditorIds::aboutPanel) == nullptr; }));

    editor->handleMenuCommand (MenuCommands::metronomeSettings, -1);
    editor->handleMenuCommand (MenuCommands::metronomeSettings, -1);
    ASSERT_NE (editor->deckPanel.findChildWithID (EditorIds::settingsPanel), nullptr);
    EXPECT_EQ (editor->deckPanel.findChildWithID (EditorIds::settingsPanel)->getBounds().getWidth(), 500);

    editor->handleMenuCommand (MenuCommands::performanceMonitor, -1);
    auto* first = editor->performanceWindow.getComponent();
    ASSERT_NE (dynamic_cast<PerformanceWindow*> (first), nullptr);
    editor->handleMenuCommand (MenuCommands::performanceMonitor, -1);
    EXPECT_EQ (editor->performanceWindow.getComponent(), first);
}

TEST_F (Fixture, LookCommandsSwitchAndStoreTheInterfaceCoverAndTheme)
{
    openChangedReel ("Song");
    const auto theme = [] (const char* attribute) { return ThemeFile::readSwitch (attribute, false); };

    // The dust cover drops and lifts only on the normal interface.
    editor->dustCover->putAwayAtOnce();
    editor->handleMenuCommand (MenuCommands::dustCover, -1);
    EXPECT_TRUE (editor->dustCover->isVisible() && ! editor->dustCover->isLifted());
    EXPECT_TRUE (theme ("showDustCover"));
    editor->handleMenuCommand (MenuCommands::dustCover, -1);
    EXPECT_TRUE (editor->dustCover->isLifted());
    EXPECT_FALSE (theme ("showDustCover"));

    editor->handleMenuCommand (MenuCommands::switchInterface, -1);
    EXPECT_TRUE (editor->useModernUI);
    EXPECT_TRUE (theme ("useModernUI"));
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &editor->modernLook);
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->modernLook);
    EXPECT_FALSE (editor->dustCover->isVisible());

    editor->handleMenuCommand (MenuCommands::dustCover, -1); // not on the minimal interface
    EXPECT_FALSE (editor->dustCover->isVisible());

    // A background of lightness exactly 0.5 counts as light and turns dark.
    editor->modernLook.cBg = 0xffff0000; // (255 + 0) / 2 / 255
    editor->handleMenuCommand (MenuCommands::lightDarkTheme, -1);
    EXPECT_TRUE (editor->modernLook.isDark());
    editor->handleMenuCommand (MenuCommands::lightDarkTheme, -1);
    EXPECT_FALSE (editor->modernLook.isDark());

    editor->handleMenuCommand (MenuCommands::switchInterface, -1);
    EXPECT_FALSE (editor->useModernUI);
    EXPECT_FALSE (theme ("useModernUI"));
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &editor->customLook);
}
