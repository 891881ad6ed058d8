#include "app/SafeAudioSetupWindow.h"
#include "engine/ParameterIds.h"
#include "storage/GlobalSettingsFile.h"
#include "tests/settings/SettingsTestSupport.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/panels/AudioTab.h"
#include "ui/panels/ClickTab.h"
#include "ui/panels/MarlixTabLook.h"
#include "ui/panels/SettingsPanel.h"
#include "ui/panels/SettingsPanelTexts.h"
#include "ui/panels/SystemTab.h"

using namespace SettingsTest;
namespace T = SettingsPanelTexts;

namespace
{
struct PanelFixture : public SettingsFixture
{
    void TearDown() override
    {
        panel.reset();
        SettingsFixture::TearDown();
    }

    SettingsPanel& makePanel (int initialTab)
    {
        panel.reset();
        panel = std::make_unique<SettingsPanel> (*processor, *editor, [this] { ++closes; }, initialTab);
        panel->setSize (SettingsPanel::shownWidth, SettingsPanel::shownHeight);
        return *panel;
    }

    template <typename Page> Page& page (int index)
    {
        auto* found = dynamic_cast<Page*> (panel->tabs.getTabContentComponent (index));
        EXPECT_NE (found, nullptr);
        return *found;
    }

    bool on (const char* id) const { return parameter (id) > 0.5f; }

    std::unique_ptr<SettingsPanel> panel;
    int closes = 0;
};

juce::File globalSettings()
{
    return GlobalSettingsFile::getFile();
}
} // namespace

TEST_F (PanelFixture, FourPagesInOrderTheChosenOneInFrontAndCloseCallsBack)
{
    auto& shown = makePanel (2);
    ASSERT_EQ (shown.tabs.getNumTabs(), 4);
    EXPECT_EQ (shown.tabs.getTabNames(), juce::StringArray ({T::audioTab, T::clickTab, T::systemTab, T::shortcutsTab}));
    EXPECT_EQ (shown.tabs.getCurrentTabName(), T::systemTab);
    EXPECT_EQ (shown.tabs.getBounds(), juce::Rectangle<int> (10, 10, 480, 630));
    EXPECT_EQ (shown.closeButton.getBounds(), juce::Rectangle<int> (10, 660, 480, 30));
    EXPECT_EQ (makePanel (7).tabs.getCurrentTabIndex(), -1);

    // Skeuomorphic: beige close button, the tab look; minimal: neither.
    EXPECT_EQ (panel->closeButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffd0c0b0));
    EXPECT_NE (dynamic_cast<MarlixTabLook*> (&panel->tabs.getLookAndFeel()), nullptr);
    EXPECT_EQ (panel->tabs.getTabBackgroundColour (0), juce::Colour (0xff181818));

    editor->useModernUI = true;
    editor->setLookAndFeel (&editor->modernLook);
    makePanel (0);
    EXPECT_FALSE (panel->closeButton.isColourSpecified (juce::TextButton::buttonColourId));
    EXPECT_EQ (dynamic_cast<MarlixTabLook*> (&panel->tabs.getLookAndFeel()), nullptr);
    EXPECT_EQ (panel->tabs.getTabBackgroundColour (0), juce::Colour (editor->modernLook.cChassis1));

    panel->closeButton.triggerClick();
    EXPECT_TRUE (runMessagesUntil ([&] { return closes == 1; }));
}

TEST (AudioTabStatus, DescribesTheOpenDeviceOrItsAbsence)
{
    EXPECT_EQ (AudioTab::describeDevice (nullptr), T::noDevice);

    FakeDeviceManager fake;
    EXPECT_EQ (AudioTab::describeDevice (&fake.manager), T::noDevice);

    ASSERT_EQ (fake.open (48000.0, 480), "");
    EXPECT_EQ (AudioTab::describeDevice (&fake.manager), "INPUT:   Fake In (4 ch)\n"
                                                         "OUTPUT:  Fake Out (2 ch)\n"
                                                         "RATE:    48000 Hz\n"
                                                         "BUFFER:  480 Samples (10.0ms)");

    ASSERT_EQ (fake.open (44100.0, 256, {}), "");
    const auto lines = juce::StringArray::fromLines (AudioTab::describeDevice (&fake.manager));
    EXPECT_EQ (lines[0], "INPUT:   None (0 ch)");
    EXPECT_EQ (lines[2], "RATE:    44100 Hz");
    EXPECT_EQ (lines[3], "BUFFER:  256 Samples (5.8ms)");
}

TEST_F (PanelFixture, TheAudioPageFollowsTheDeviceAndOpensTheDeviceWindow)
{
    FakeDeviceManager fake;
    processor->deviceManager = &fake.manager;
    auto& audio = page<AudioTab> (makePanel (0).tabs.getNumTabs() > 0 ? 0 : 0);
    EXPECT_EQ (audio.statusText.getText(), T::noDevice);
    EXPECT_EQ (audio.statusHeader.getText(), T::statusHeader);
    EXPECT_EQ (audio.warning.getText(), T::rateWarning);

    // The 500-ms poll picks up a device that opens later.
    ASSERT_EQ (fake.open (48000.0, 480), "");
    EXPECT_TRUE (runMessagesUntil ([&] { return audio.statusText.getText().endsWith ("(10.0ms)"); }, 2000));

    if (displayAvailable())
    {
        audio.configureButton.triggerClick();
        SafeAudioSetupWindow* window = nullptr;
        runMessagesUntil ([&] {
            for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
                if (auto* w = dynamic_cast<SafeAudioSetupWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                    window = w;
            return window != nullptr;
        });
        ASSERT_NE (window, nullptr);
        window->closeButtonPressed();
    }
    processor->deviceManager = nullptr;
}

TEST_F (PanelFixture, TheClickPageShowsTheReelsSignatureAndSendsChanges)
{
    const struct
    {
        int numerator, denominator;
        const char* numeratorText;
        const char* denominatorText;
    } cases[] = {
        {12, 4, "12", "/ 4"}, {7, 8, "7", "/ 8"}, {3, 16, "3", "/ 16"}, {4, 2, "4", "/ 2"},
        {0, 5, "4", "/ 4"},   {11, 4, "11", "/ 4"}, // a reel's numerator the list lacks stays as it is
    };

    for (const auto& c : cases)
    {
        processor->timeSigNumerator = c.numerator;
        processor->timeSigDenominator = c.denominator;
        auto& click = page<ClickTab> (makePanel (1).tabs.getCurrentTabIndex());
        EXPECT_EQ (click.numeratorBox.getText(), c.numeratorText) << c.numerator;
        EXPECT_EQ (click.denominatorBox.getText(), c.denominatorText) << c.denominator;
        EXPECT_EQ (click.subdivisionBox.getText(), "No Subdiv");
    }

    processor->timeSigNumerator = 4;
    processor->timeSigDenominator = 4;
    processor->bpm = 100.0;
    auto& click = page<ClickTab> (makePanel (1).tabs.getCurrentTabIndex());
    EXPECT_DOUBLE_EQ (click.bpmSlider.getValue(), 100.0);

    // Click off: only the tempo is stored.
    click.bpmSlider.setValue (90.0, juce::sendNotificationSync);
    EXPECT_DOUBLE_EQ (processor->bpm.load(), 90.0);
    EXPECT_EQ (processor->clickTrack, nullptr);
    click.numeratorBox.setSelectedId (3, juce::sendNotificationSync);
    click.denominatorBox.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (processor->timeSigNumerator.load(), 3);
    EXPECT_EQ (processor->timeSigDenominator.load(), 8);

    // The volume slider is the parameter.
    click.volumeSlider.setValue (0.25, juce::sendNotificationSync);
    EXPECT_NEAR (parameter (ParameterIds::CLICK_VOL), 0.25f, 1.0e-6f);
}

TEST_F (PanelFixture, ARunningClickIsRenderedWithTheSubdivisionAndNeverWithAZeroBar)
{
    openReel();
    processor->setClickEnabled (true, 120.0, 4, 4);
    ASSERT_NE (processor->clickTrack, nullptr);
    auto& click = page<ClickTab> (makePanel (1).tabs.getCurrentTabIndex());

    // Clicks on the tape: onsets after silence.
    const auto onsets = [this]
    {
        const auto& tape = processor->clickTrack->getAudio();
        int count = 0;
        int silent = 1000;
        for (int i = 0; i < tape.getNumSamples(); ++i)
        {
            const bool sounding = std::abs (tape.getSample (0, i)) > 1.0e-4f;
            if (sounding && silent >= 200)
                ++count;
            silent = sounding ? 0 : silent + 1;
        }
        return count;
    };

    const int beats = onsets();
    EXPECT_EQ (beats, 8) << "4 s at 120 BPM";
    click.subdivisionBox.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_NEAR (onsets(), 4 * beats, 1) << "sixteenths (one may fall on the tape's last samples)";

    // An empty numerator or denominator box: the click keeps a bar and a beat of at least 1.
    click.numeratorBox.setSelectedId (0, juce::sendNotificationSync);
    click.denominatorBox.setSelectedId (0, juce::sendNotificationSync);
    EXPECT_GE (processor->timeSigNumerator.load(), 1);
    EXPECT_GE (processor->timeSigDenominator.load(), 1);
    EXPECT_GT (onsets(), 0);
}

TEST_F (PanelFixture, TheSystemPageControlsReachTheirParameters)
{
    auto& system = page<SystemTab> (makePanel (2).tabs.getCurrentTabIndex());
    ASSERT_EQ (system.toggles.size(), SystemTab::toggleSpecs.size());

    for (size_t i = 0; i < system.toggles.size(); ++i)
    {
        const auto& row = SystemTab::toggleSpecs[i];
        auto& toggle = system.toggles[i];
        EXPECT_EQ (toggle.getButtonText(), row.text);
        const bool before = on (row.parameterId);
        EXPECT_EQ (toggle.getToggleState(), before) << row.text;
        toggle.triggerClick();
        ASSERT_TRUE (runMessagesUntil ([&] { return on (row.parameterId) != before; })) << row.text;

        // And back from the parameter to the button.
        processor->parameters.getParameter (row.parameterId)->setValueNotifyingHost (before ? 1.0f : 0.0f);
        runMessagesUntil ([&] { return toggle.getToggleState() == before; });
        EXPECT_EQ (toggle.getToggleState(), before) << row.text;
    }

    system.offsetSlider.setValue (480.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (parameter (ParameterIds::REC_OFFSET), 480.0f);
    EXPECT_TRUE (system.offsetSlider.getTextFromValue (480.0).endsWith (" smp"));
    system.autoSaveBox.setSelectedId (4, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (parameter (ParameterIds::AUTO_SAVE_INTERVAL), 3.0f);

    // Layout: 300 wide, centred; the last button ends at 590.
    EXPECT_EQ (system.toggles[10].getBounds(), juce::Rectangle<int> ((system.getWidth() - 300) / 2, 475, 300, 30));
    EXPECT_EQ (system.calibrateButton.getBottom(), 590);
}

TEST_F (PanelFixture, OnlyTheTwoAppWideSwitchesWriteTheSettingsFile)
{
    auto& system = page<SystemTab> (makePanel (2).tabs.getCurrentTabIndex());
    globalSettings().deleteFile();

    for (size_t i = 0; i < system.toggles.size(); ++i)
    {
        if (i == SystemTab::autoDisarmToggle || i == SystemTab::momentaryToggle)
            continue;
        system.toggles[i].triggerClick();
    }
    runMessages (50);
    EXPECT_FALSE (globalSettings().exists());

    // Momentary on with no file: a SETTINGS root with both switches, in that order.
    system.toggles[SystemTab::momentaryToggle].triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return globalSettings().existsAsFile(); }));
    auto xml = juce::parseXML (globalSettings());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("SETTINGS"));
    ASSERT_EQ (xml->getNumAttributes(), 2);
    EXPECT_EQ (xml->getAttributeName (0), "momentaryTransport");
    EXPECT_EQ (xml->getAttributeValue (0), "1");
    EXPECT_EQ (xml->getAttributeName (1), "disableAutoDisarm");
    EXPECT_EQ (xml->getAttributeValue (1), "0");

    // The auto-disarm toggle writes its new state; the other writers' switches and a foreign
    // root name stay.
    globalSettings().replaceWithText (
        R"(<PREFS varispeedMusicalSnap="1" disableAutoDisarm="0" enable3rdPartyPlugins="1" updateServer="x"/>)");
    system.toggles[SystemTab::autoDisarmToggle].triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return juce::parseXML (globalSettings())->getNumAttributes() == 5; }));
    xml = juce::parseXML (globalSettings());
    EXPECT_TRUE (xml->hasTagName ("PREFS"));
    EXPECT_EQ (xml->getAttributeName (1), "disableAutoDisarm");
    EXPECT_EQ (xml->getAttributeValue (1), "1");
    EXPECT_EQ (xml->getStringAttribute ("varispeedMusicalSnap"), "1");
    EXPECT_EQ (xml->getStringAttribute ("enable3rdPartyPlugins"), "1");
    EXPECT_EQ (xml->getStringAttribute ("updateServer"), "x");
    EXPECT_EQ (xml->getAttributeName (4), "momentaryTransport");

    // A change from elsewhere (a reel load, MIDI) moves the toggle but never writes the file:
    // the next reel load still finds the app-wide value.
    const auto written = globalSettings().loadFileAsString();
    processor->parameters.getParameter (ParameterIds::DISABLE_AUTO_DISARM)->setValueNotifyingHost (0.0f);
    runMessagesUntil ([&] { return ! system.toggles[SystemTab::autoDisarmToggle].getToggleState(); });
    ASSERT_FALSE (system.toggles[SystemTab::autoDisarmToggle].getToggleState());
    runMessages (50);
    EXPECT_EQ (globalSettings().loadFileAsString(), written);
    processor->loadGlobalSettings();
    EXPECT_TRUE (on (ParameterIds::DISABLE_AUTO_DISARM));
}

TEST (GlobalSettingsFileWriting, KeepsWhatOthersWroteAndRepairsWhatItCannotRead)
{
    TempDir temp;
    const auto file = temp / "global_settings.xml";
    const struct
    {
        const char* before; // null: no file
        const char* expectedRoot;
        juce::StringArray expectedNames;
    } cases[] = {
        {nullptr, "SETTINGS", {"varispeedMusicalSnap"}},
        {"not xml <", "SETTINGS", {"varispeedMusicalSnap"}},
        {R"(<SETTINGS a="1" varispeedMusicalSnap="0" b="0"/>)", "SETTINGS", {"a", "varispeedMusicalSnap", "b"}},
        {R"(<OTHER a="1"/>)", "OTHER", {"a", "varispeedMusicalSnap"}},
    };

    for (const auto& c : cases)
    {
        file.deleteFile();
        if (c.before != nullptr)
            file.replaceWithText (c.before);

        ASSERT_TRUE (GlobalSettingsFile::writeSwitches (file, {{GlobalSettingsFile::varispeedMusicalSnap, true}}));
        const auto text = file.loadFileAsString();
        EXPECT_TRUE (text.startsWith ("<?xml")) << text;
        EXPECT_TRUE (text.contains ("\r\n"));

        auto xml = juce::parseXML (file);
        ASSERT_NE (xml, nullptr);
        EXPECT_TRUE (xml->hasTagName (c.expectedRoot));
        juce::StringArray names;
        for (int i = 0; i < xml->getNumAttributes(); ++i)
            names.add (xml->getAttributeName (i));
        EXPECT_EQ (names, c.expectedNames) << (c.before != nullptr ? c.before : "no file");
        EXPECT_EQ (xml->getStringAttribute ("varispeedMusicalSnap"), "1");
    }

    // A folder that cannot be made: false, nothing thrown.
    const auto blocked = temp / "blocker";
    blocked.replaceWithText ("a file where the folder should be");
    EXPECT_FALSE (GlobalSettingsFile::writeSwitches (blocked.getChildFile ("global_settings.xml"), {{"x", true}}));
}

TEST_F (PanelFixture, CalibrationStartsOnlyOnStartAndPublishesItsPhaseFirst)
{
    auto& system = page<SystemTab> (makePanel (2).tabs.getCurrentTabIndex());

    system.calibrateButton.triggerClick();
    auto* dialog = FlowDialog::findOpenDialog (T::calibrationTitle);
    runMessagesUntil ([&] { return (dialog = FlowDialog::findOpenDialog (T::calibrationTitle)) != nullptr; });
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getProperties()["bodyText"].toString(), T::calibrationMessage);
    dialog->exitModalState (0); // CANCEL
    runMessages (50);
    EXPECT_FALSE (processor->latencyMeasureActive.load());
    EXPECT_EQ (processor->latencyMeasurePhase.load(), 0);

    processor->latencyMeasureCounter = 77;
    system.calibrateButton.triggerClick();
    runMessagesUntil ([&] { return (dialog = FlowDialog::findOpenDialog (T::calibrationTitle)) != nullptr; });
    ASSERT_NE (dialog, nullptr);
    dialog->exitModalState (1); // START
    ASSERT_TRUE (runMessagesUntil ([&] { return processor->latencyMeasureActive.load(); }));
    EXPECT_EQ (processor->latencyMeasurePhase.load(), 1);
    EXPECT_EQ (processor->latencyMeasureCounter.load(), 0);
}

TEST_F (PanelFixture, ANewLibraryFolderIsTakenAndAnnounced)
{
    auto& system = page<SystemTab> (makePanel (2).tabs.getCurrentTabIndex());
    const auto before = processor->reelLibrary.getLibraryRoot();

    system.applyLibraryFolder (temp / "missing");
    system.applyLibraryFolder ({});
    runMessages (50);
    EXPECT_EQ (processor->reelLibrary.getLibraryRoot(), before);
    EXPECT_EQ (FlowDialog::findOpenDialog (T::libraryChangedTitle), nullptr);

    const auto chosen = temp / "Elsewhere";
    ASSERT_TRUE (chosen.createDirectory());
    system.applyLibraryFolder (chosen);
    EXPECT_EQ (processor->reelLibrary.getLibraryRoot(), chosen);
    juce::AlertWindow* dialog = nullptr;
    runMessagesUntil ([&] { return (dialog = FlowDialog::findOpenDialog (T::libraryChangedTitle)) != nullptr; });
    ASSERT_NE (dialog, nullptr);
    EXPECT_TRUE (dialog->getProperties()["bodyText"].toString().contains (chosen.getFullPathName()));
}

// The device window on a real desktop: its background, its selector, and the file it leaves.
TEST_F (PanelFixture, TheDeviceWindowShowsTheSelectorAndStoresTheChoiceWhenClosed)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    FakeDeviceManager fake;
    ASSERT_EQ (fake.open (44100.0, 512), "");
    processor->deviceManager = &fake.manager;
    const auto file = SafeAudioSetupWindow::getSettingsFile();
    file.deleteFile();

    juce::Component::SafePointer<SafeAudioSetupWindow> window (new SafeAudioSetupWindow (processor.get(), &editor->customLook, false));
    ASSERT_NE (window->getPeer(), nullptr);
    EXPECT_NE (window->getPeer()->getNativeHandle(), nullptr);
    EXPECT_EQ (window->getName(), SafeAudioSetupWindow::title);
    EXPECT_EQ (window->getBackgroundColour(), juce::Colour (0xff2b2b2b));
    EXPECT_FALSE (window->isResizable());
    EXPECT_EQ (window->getWidth(), 500);
    EXPECT_GT (window->getHeight(), 300); // follows the selector's own height
    EXPECT_EQ (window->getConstrainer(), &window->constrainer);
    auto* selector = dynamic_cast<juce::AudioDeviceSelectorComponent*> (window->getContentComponent());
    ASSERT_NE (selector, nullptr);

    // Pick 48 kHz in the selector's rate box.
    runMessages (50);
    juce::ComboBox* rateBox = nullptr;
    std::function<void (juce::Component&)> find = [&] (juce::Component& c)
    {
        if (auto* box = dynamic_cast<juce::ComboBox*> (&c))
            for (int i = 0; i < box->getNumItems(); ++i)
                if (box->getItemText (i) == "48000 Hz")
                    rateBox = box;
        for (auto* child : c.getChildren())
            find (*child);
    };
    find (*selector);
    ASSERT_NE (rateBox, nullptr);
    for (int i = 0; i < rateBox->getNumItems(); ++i)
        if (rateBox->getItemText (i) == "48000 Hz")
            rateBox->setSelectedItemIndex (i, juce::sendNotificationSync);
    EXPECT_DOUBLE_EQ (fake.manager.getCurrentAudioDevice()->getCurrentSampleRate(), 48000.0);

    bool closed = false;
    window->onClose = [&] { closed = true; };
    window->closeButtonPressed();
    EXPECT_TRUE (closed);
    EXPECT_EQ (window.getComponent(), nullptr);

    auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("DEVICESETUP"));
    EXPECT_EQ (xml->getIntAttribute ("audioDeviceRate"), 48000);
    EXPECT_TRUE (file.loadFileAsString().contains ("\r\n"));

    // Minimal interface: the theme's chassis.
    editor->modernLook.setDarkMode (true);
    auto* minimal = new SafeAudioSetupWindow (processor.get(), &editor->modernLook, true);
    EXPECT_EQ (minimal->getBackgroundColour(), juce::Colour (editor->modernLook.cChassis1));
    minimal->closeButtonPressed();

    // No device manager: an empty window that writes nothing.
    file.deleteFile();
    processor->deviceManager = nullptr;
    auto* empty = new SafeAudioSetupWindow (processor.get(), nullptr, false);
    EXPECT_EQ (empty->getContentComponent(), nullptr);
    empty->closeButtonPressed();
    EXPECT_FALSE (file.exists());
}

TEST_F (PanelFixture, TheEditorOpensTheDeviceWindowAndItsFollowUpRunsOnClose)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    int followUps = 0;
    editor->openAudioSetupWindow ([&] { ++followUps; });
    SafeAudioSetupWindow* window = nullptr;
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        if (auto* w = dynamic_cast<SafeAudioSetupWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
            window = w;
    ASSERT_NE (window, nullptr);
    EXPECT_NE (window->getPeer()->getNativeHandle(), nullptr);
    window->closeButtonPressed();
    EXPECT_EQ (followUps, 1);

    // The editor gone first: the follow-up is dropped, not run on a dead editor.
    editor->openAudioSetupWindow ([&] { ++followUps; });
    window = nullptr;
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        if (auto* w = dynamic_cast<SafeAudioSetupWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
            window = w;
    ASSERT_NE (window, nullptr);
    editor.reset();
    window->closeButtonPressed();
    EXPECT_EQ (followUps, 1);
}
