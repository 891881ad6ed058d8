#include "TapeRoomTestSupport.h"

using TapeRoomTest::TapeRoomFixture;
using TapeRoomTest::modalDialog;

TEST (NewTapeEstimate, ShowsMemoryAndDiskAndTurnsRedAbove4GiB)
{
    struct Case
    {
        int seconds, tracks;
        double rate;
        const char* text;
        juce::uint32 colour;
    };
    const Case cases[] = {
        {600, 8, 44100.0, "EST. RAM: 807.5 MB   |   DISK: 403.7 MB", 0xffffa500},
        {1200, 16, 48000.0, "EST. RAM: 3.43 GB   |   DISK: 1.72 GB", 0xffffa500},
        {3600, 8, 44100.0, "EST. RAM: 4.73 GB   |   DISK: 2.37 GB", 0xffe74c3c},
        {1800, 24, 44100.0, "EST. RAM: 7.10 GB   |   DISK: 3.55 GB", 0xffe74c3c},
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (TapeRoomComponent::estimateText (c.seconds, c.tracks, c.rate), c.text);
        EXPECT_EQ (TapeRoomComponent::estimateColour (c.seconds, c.tracks, c.rate).getARGB(), c.colour) << c.text;
    }

    // Exactly 4 GiB is not above it.
    EXPECT_EQ (TapeRoomComponent::estimateColour (1, 1, 1073741824.0).getARGB(), 0xffffa500u);
}

TEST_F (TapeRoomFixture, NewTapeDialogCreatesSelectsAndOpensTheTrimmedName)
{
    requireDisplay();
    room->doNew();
    auto* dialog = modalDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getName(), "Create New Reel");
    EXPECT_EQ (TapeRoomTest::bodyOf (dialog), "Configure your new tape:");
    EXPECT_EQ (dialog->getTextEditorContents (TapeRoomTexts::nameField), "New Tape");

    // The live estimate: 10 minutes of 8 tracks at the fallback rate, then 30 minutes of 24.
    juce::Label* stats = nullptr;
    for (auto* child : dialog->getChildren())
        if (child->getName() == TapeRoomTexts::statsLabel)
            stats = dynamic_cast<juce::Label*> (child);
    ASSERT_NE (stats, nullptr);
    EXPECT_EQ (stats->getText(), "EST. RAM: 807.5 MB   |   DISK: 403.7 MB");

    dialog->getComboBoxComponent (TapeRoomTexts::lengthField)->setSelectedId (4, juce::sendNotificationSync);
    dialog->getComboBoxComponent (TapeRoomTexts::tracksField)->setSelectedId (3, juce::sendNotificationSync);
    EXPECT_TRUE (stats->getText().contains ("7.10 GB"));
    EXPECT_EQ (stats->findColour (juce::Label::textColourId).getARGB(), 0xffe74c3cu);

    dialog->getTextEditor (TapeRoomTexts::nameField)->setText ("  Drums  ");
    TapeRoomTest::press (dialog, "Create");

    EXPECT_TRUE (reelExists ("Drums"));
    EXPECT_EQ (opened, juce::StringArray ({"Drums"}));
    ASSERT_NE (room->getSelectedRow(), nullptr);
    EXPECT_EQ (room->getSelectedRow()->name, "Drums");
    EXPECT_EQ (room->getSelectedRow()->trackCountText, "24 Tracks");
    EXPECT_EQ (room->getSelectedRow()->lengthText, "30 Min");
}

TEST_F (TapeRoomFixture, EscapeAndABlankNameBehaveAsTheUserExpects)
{
    requireDisplay();
    room->doNew();
    auto* dialog = modalDialog();
    ASSERT_NE (dialog, nullptr);
    juce::Component::SafePointer<juce::Component> gone (dialog);
    static_cast<juce::Component*> (dialog)->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return gone == nullptr; }));
    EXPECT_EQ (room->getNumRows(), 0);

    room->createTape ("   ", 600, 8, 44100.0);
    EXPECT_TRUE (reelExists ("Untitled Tape"));
    EXPECT_EQ (opened, juce::StringArray ({"Untitled Tape"}));
}

// The list may be filtered: the check looks at the library folder itself, in any letter case,
// and an existing reel is never opened as if it were the new one.
TEST_F (TapeRoomFixture, NameTakenChecksEveryReelOnDiskIgnoringCase)
{
    requireDisplay();
    makeReel ("New Tape");
    typeSearch ("something else");
    ASSERT_EQ (room->getNumRows(), 0);

    room->createTape ("new tape", 600, 8, 44100.0);
    auto* notice = modalDialog();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (notice->getName(), "Name Taken");
    EXPECT_EQ (TapeRoomTest::bodyOf (notice), "A tape with this name already exists.");
    TapeRoomTest::press (notice, "OK");

    EXPECT_TRUE (opened.isEmpty());
    EXPECT_EQ (root.getFile().findChildFiles (juce::File::findDirectories, false).size(), 1);

    // A name the library cannot hold is refused with its reason, nothing made.
    room->createTape ("../outside", 600, 8, 44100.0);
    auto* refusal = modalDialog();
    ASSERT_NE (refusal, nullptr);
    EXPECT_EQ (refusal->getName(), "Invalid Name");
    EXPECT_TRUE (opened.isEmpty());
}

TEST_F (TapeRoomFixture, MultitrackReelsAbove48kHzAreMadeAt48kHz)
{
    requireDisplay();
    struct Case
    {
        const char* name;
        int tracks;
        double rate;
        bool restricted;
        double storedRate;
    };
    const Case cases[] = {
        {"Sixteen", 16, 96000.0, true, 48000.0},
        {"TwentyFour", 24, 88200.0, true, 48000.0},
        {"Eight", 8, 96000.0, false, 96000.0},
        {"AtFortyEight", 24, 48000.0, false, 48000.0},
    };

    for (const auto& c : cases)
    {
        room->createTape (c.name, 600, c.tracks, c.rate);
        auto* notice = modalDialog();
        EXPECT_EQ (notice != nullptr, c.restricted) << c.name;
        if (notice != nullptr)
        {
            EXPECT_EQ (notice->getName(), "Format Restriction");
            EXPECT_TRUE (TapeRoomTest::bodyOf (notice).endsWith ("Creating at 48kHz instead."));
            TapeRoomTest::press (notice, "OK");
        }
        EXPECT_EQ (library.readReelSampleRate (c.name), c.storedRate) << c.name;
    }

    EXPECT_EQ (opened, juce::StringArray ({"Sixteen", "TwentyFour", "Eight", "AtFortyEight"}));
}

TEST_F (TapeRoomFixture, TheDeviceButtonLeavesForTheSettingsAndOpensAFreshDialog)
{
    requireDisplay();
    std::function<void()> whenClosed;
    room->onOpenAudioSettings = [&] (std::function<void()> callback) { whenClosed = std::move (callback); };

    room->doNew();
    auto* dialog = modalDialog();
    ASSERT_NE (dialog, nullptr);
    dialog->getTextEditor (TapeRoomTexts::nameField)->setText ("Changed");
    juce::Component::SafePointer<juce::Component> gone (dialog);
    juce::TextButton* deviceButton = nullptr;
    for (auto* child : dialog->getChildren())
        for (auto* inner : child->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (inner))
                deviceButton = button;
    ASSERT_NE (deviceButton, nullptr);
    EXPECT_EQ (deviceButton->getButtonText(), "Default Device  (44.1 kHz)");
    EXPECT_EQ (deviceButton->getTooltip(), "Click to change audio device or sample rate.");

    deviceButton->triggerClick();
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return gone == nullptr; }));
    ASSERT_TRUE (whenClosed != nullptr);
    EXPECT_EQ (modalDialog(), nullptr);

    whenClosed();
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([] { return modalDialog() != nullptr; }));
    EXPECT_EQ (modalDialog()->getTextEditorContents (TapeRoomTexts::nameField), "New Tape");
    EXPECT_EQ (modalDialog()->getComboBoxComponent (TapeRoomTexts::lengthField)->getText(), "10 Minutes");
    EXPECT_EQ (modalDialog()->getComboBoxComponent (TapeRoomTexts::tracksField)->getText(), "8 Tracks");
}
