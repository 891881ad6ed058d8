#include "DeckTestSupport.h"

#include "platform/ProgramWindows.h"

using DeckTest::DeckFixture;

namespace
{
/** A secondary window of the program: registered while it exists. */
struct ProgramWindow : public juce::DocumentWindow
{
    explicit ProgramWindow (bool& deletedFlag)
        : juce::DocumentWindow ("Program window", juce::Colours::grey, juce::DocumentWindow::closeButton), deleted (deletedFlag)
    {
        setSize (200, 100);
        addToDesktop();
        setVisible (true);
    }
    ~ProgramWindow() override { deleted = true; }

    bool& deleted;
    ProgramWindows::Registration registration{*this};
};
} // namespace

// Only the windows the program made and registered go; a window some other object owns (here a
// unique_ptr, as a popup menu or call-out has its own owner) stays for its owner to delete.
TEST_F (DeckFixture, ClosingSecondaryWindowsDeletesOnlyRegisteredOnes)
{
    if (! DeckTest::displayAvailable())
        GTEST_SKIP() << "needs a display";

    editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
    editor->setVisible (true);

    bool programWindowDeleted = false;
    juce::Component::SafePointer<juce::Component> programWindow (new ProgramWindow (programWindowDeleted));
    auto ownedElsewhere = std::make_unique<juce::DocumentWindow> ("Owned elsewhere", juce::Colours::grey, 0);
    ownedElsewhere->setSize (200, 100);
    ownedElsewhere->addToDesktop();
    ownedElsewhere->setVisible (true);

    ASSERT_NE (programWindow->getPeer(), nullptr);
    ASSERT_NE (programWindow->getPeer()->getNativeHandle(), nullptr);
    ASSERT_NE (ownedElsewhere->getPeer()->getNativeHandle(), nullptr);
    EXPECT_TRUE (ProgramWindows::contains (programWindow.getComponent()));

    ed().closeAllSecondaryWindows();

    EXPECT_TRUE (programWindowDeleted);
    EXPECT_EQ (programWindow.getComponent(), nullptr);
    EXPECT_TRUE (ownedElsewhere->isOnDesktop());
    EXPECT_TRUE (editor->isOnDesktop());

    ownedElsewhere.reset(); // its owner deletes it: no double delete
    editor->removeFromDesktop();
}

TEST (ProgramWindowsRegistry, ForgetsAWindowWhenItGoes)
{
    juce::Component* seen = nullptr;
    {
        juce::Component window;
        ProgramWindows::Registration registration (window);
        seen = &window;
        EXPECT_TRUE (ProgramWindows::contains (seen));
    }
    EXPECT_FALSE (ProgramWindows::contains (seen));
    EXPECT_EQ (ProgramWindows::closeAll (nullptr), 0);
}
