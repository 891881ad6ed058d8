#include "app/SafeAlertWindow.h"
#include "tests/shell/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace
{
/** A "Save Changes?" question as callers build it, shown modally; its result lands in result. */
std::unique_ptr<SafeAlertWindow> openQuestion (int& result)
{
    const juce::String message ("Do you want to save changes to 'My Reel' before quitting?");
    auto window = std::make_unique<SafeAlertWindow> ("Save Changes?", message, juce::MessageBoxIconType::QuestionIcon);
    window->getProperties().set (SafeAlertWindow::bodyTextProperty, message);
    window->addButton ("Save", 1, juce::KeyPress (juce::KeyPress::returnKey));
    window->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
    window->enterModalState (true, juce::ModalCallbackFunction::create ([&result] (int r) { result = r; }), false);
    return window;
}
} // namespace

TEST (SafeAlertWindow, IsARealAlwaysOnTopWindowThatCentresAgainKeepingItsSizeWhenTheUserAreaChanges)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();

    int result = -1;
    auto window = openQuestion (result);
    ShellTest::runMessages (50);

    ASSERT_TRUE (ShellTest::hasNativeWindow (*window));
    EXPECT_TRUE (window->isAlwaysOnTop());
    EXPECT_TRUE (window->isCurrentlyModal());
    EXPECT_EQ (window->getProperties()[SafeAlertWindow::bodyTextProperty].toString(),
               "Do you want to save changes to 'My Reel' before quitting?");

    const juce::Point<int> size (window->getWidth(), window->getHeight());

    // A new resolution, a task bar at the top: centred in the new user area, same size.
    const auto moved = ShellTest::makeMainDisplay ({0, 40, 1280, 984});
    window->checkMainDisplay (&moved);
    EXPECT_EQ (window->getLastUserArea(), moved.userArea);
    EXPECT_EQ (juce::Point<int> (window->getWidth(), window->getHeight()), size);
    EXPECT_EQ (window->getX(), 640 - size.x / 2);
    EXPECT_EQ (window->getY(), 40 + 492 - size.y / 2);
    ShellTest::runMessages (50);
    EXPECT_EQ (window->getPeer()->getBounds(), window->getBounds()); // the native window followed

    // Nothing changed since the last check, or no main display: the window stays where it is.
    window->setTopLeftPosition (10, 20);
    window->checkMainDisplay (&moved);
    window->checkMainDisplay (nullptr);
    EXPECT_EQ (window->getPosition(), juce::Point<int> (10, 20));
    EXPECT_EQ (window->getLastUserArea(), moved.userArea);

    // The timer compares with the framework's main display: the next tick centres it there again.
    ShellTest::runMessages (400);
    const auto realArea = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
    EXPECT_EQ (window->getLastUserArea(), realArea);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (realArea.getCentreX() - size.x / 2,
                                                          realArea.getCentreY() - size.y / 2, size.x, size.y));

    ShellTest::pressKey (*window, juce::KeyPress::escapeKey);
    ASSERT_TRUE (ShellTest::runMessagesUntil ([&] { return result != -1; }, 2000));
    EXPECT_EQ (result, 0);
}

TEST (SafeAlertWindow, ReturnAndEscapeGiveTheirButtonsResults)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();

    const std::pair<int, int> cases[] = {{juce::KeyPress::returnKey, 1}, {juce::KeyPress::escapeKey, 0}};

    for (auto [key, expected] : cases)
    {
        SCOPED_TRACE (expected);
        int result = -1;
        auto window = openQuestion (result);
        ShellTest::pressKey (*window, key);
        ASSERT_TRUE (ShellTest::runMessagesUntil ([&] { return result != -1; }, 2000));
        EXPECT_EQ (result, expected);
        EXPECT_FALSE (window->isCurrentlyModal());
    }
}

TEST (SafeAlertWindow, AHiddenWindowNotesANewUserAreaWithoutMoving)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY(); // the framework's alert window lays itself out on a display
    SafeAlertWindow window ("Notice", "Hidden", juce::MessageBoxIconType::WarningIcon);
    window.setTopLeftPosition (7, 9);

    const auto moved = ShellTest::makeMainDisplay ({0, 0, 1024, 700});
    window.checkMainDisplay (&moved);

    EXPECT_EQ (window.getLastUserArea(), moved.userArea);
    EXPECT_EQ (window.getPosition(), juce::Point<int> (7, 9));
}
