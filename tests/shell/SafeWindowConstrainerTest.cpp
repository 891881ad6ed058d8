#include "app/SafeWindowConstrainer.h"
#include "tests/shell/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using Rect = juce::Rectangle<int>;

/** A secondary window that installs the constrainer as every owning window does. */
struct ConstrainedWindow : public juce::DocumentWindow
{
    ConstrainedWindow (int width, int height)
        : juce::DocumentWindow ("Constrained", juce::Colours::darkgrey, juce::DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar (true);
        setSize (width, height);
        setConstrainer (&constrainer);
        constrainer.targetWindow = this;
        constrainer.preferredWidth = getWidth();
        constrainer.preferredHeight = getHeight();
        setBoundsConstrained (getBounds());
    }

    SafeWindowConstrainer constrainer;
};

Rect mainUserArea()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
}
} // namespace

TEST (SafeWindowConstrainer, FitsThePreferredSizeIntoANewUserAreaAtItsRatioAndCentresIt)
{
    struct Case
    {
        int width, height;
        Rect area, expected;
    };

    const Case cases[] = {
        {1200, 800, {0, 0, 1024, 700}, {0, 9, 1024, 682}},     // narrower: width first, height truncated
        {800, 600, {0, 0, 1920, 1040}, {560, 220, 800, 600}},  // fits: centred at its own size
        {800, 600, {0, 40, 1920, 1000}, {560, 240, 800, 600}}, // task bar at the top
        {600, 1200, {0, 0, 1024, 700}, {337, 0, 350, 700}},    // taller: height sets the width
        {3000, 1000, {100, 0, 1000, 200}, {300, 0, 600, 200}}, // both limits in turn, area not at 0
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.area.toString() + " " + juce::String (c.width) + "x" + juce::String (c.height));
        EXPECT_EQ (SafeWindowConstrainer::fitPreferredSize (c.width, c.height, c.area), c.expected);
    }
}

TEST (SafeWindowConstrainer, MovesBoundsInsideTheAreaRightAndBottomFirst)
{
    const Rect area (0, 40, 1000, 700);

    struct Case
    {
        const char* what;
        Rect proposed, expected;
    };

    const Case cases[] = {
        {"past the right edge", {900, 100, 300, 200}, {700, 100, 300, 200}},
        {"above the top", {100, 10, 300, 200}, {100, 40, 300, 200}},
        {"past left and bottom", {-50, 650, 300, 200}, {0, 540, 300, 200}},
        {"wider and taller than the area", {300, 300, 1200, 900}, {0, 40, 1200, 900}},
        {"inside", {100, 100, 300, 200}, {100, 100, 300, 200}},
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        auto bounds = c.proposed;
        SafeWindowConstrainer::moveInside (bounds, area);
        EXPECT_EQ (bounds, c.expected);
    }
}

TEST (SafeWindowConstrainer, KeepsARealWindowInTheUserAreaAndAboveTheMinimumSize)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();

    ConstrainedWindow window (400, 300);
    window.setVisible (true);
    ShellTest::runMessages (50);
    ASSERT_TRUE (ShellTest::hasNativeWindow (window));

    const auto area = mainUserArea();
    juce::BorderSize<int> frame; // none under Xvfb (no window manager)
    if (auto size = window.getPeer()->getFrameSizeIfPresent())
        frame = *size;

    window.setBoundsConstrained ({area.getRight() - 100, 200, 400, 300});
    EXPECT_EQ (frame.addedTo (window.getBounds()).getRight(), area.getRight());

    window.setBoundsConstrained ({100, area.getY() - 250, 400, 300});
    EXPECT_EQ (frame.addedTo (window.getBounds()).getY(), area.getY());

    window.setBoundsConstrained ({area.getX() + 20, 50, area.getWidth() + 300, 300});
    EXPECT_EQ (frame.addedTo (window.getBounds()).getX(), area.getX());

    window.setBoundsConstrained ({200, 200, 10, 10});
    EXPECT_EQ (frame.addedTo (window.getBounds()).getWidth(), 150);
    EXPECT_EQ (frame.addedTo (window.getBounds()).getHeight(), 50);
}

TEST (SafeWindowConstrainer, RefitsItsWindowOnlyWhenTheUserAreaChanges)
{
    ConstrainedWindow window (800, 600);
    window.setBounds (20, 30, 500, 400); // dragged to another size by the user

    const auto wide = ShellTest::makeMainDisplay ({0, 0, 1920, 1040});
    window.constrainer.checkMainDisplay (&wide);
    EXPECT_EQ (window.getBounds(), Rect (560, 220, 800, 600));

    window.setBounds (20, 30, 500, 400);
    window.constrainer.checkMainDisplay (&wide);
    window.constrainer.checkMainDisplay (nullptr);
    EXPECT_EQ (window.getBounds(), Rect (20, 30, 500, 400));
    EXPECT_EQ (window.constrainer.getLastUserArea(), wide.userArea);

    const auto small = ShellTest::makeMainDisplay ({0, 0, 1024, 700});
    window.constrainer.preferredWidth = 1200;
    window.constrainer.preferredHeight = 800;
    window.constrainer.checkMainDisplay (&small);
    EXPECT_EQ (window.getBounds(), Rect (0, 9, 1024, 682));
}

TEST (SafeWindowConstrainer, WithoutATargetWindowOrPreferredSizeItOnlyNotesTheArea)
{
    const auto area = ShellTest::makeMainDisplay ({0, 0, 1024, 700});
    const auto other = ShellTest::makeMainDisplay ({0, 0, 1280, 800});

    SafeWindowConstrainer noTarget;
    noTarget.checkMainDisplay (&area);
    EXPECT_EQ (noTarget.getLastUserArea(), area.userArea);

    ConstrainedWindow window (400, 300);
    window.setBounds (5, 6, 400, 300);
    window.constrainer.preferredHeight = 0;
    window.constrainer.checkMainDisplay (&area);
    EXPECT_EQ (window.getBounds(), Rect (5, 6, 400, 300));

    // A window deleted before its constrainer is forgotten, not used.
    SafeWindowConstrainer outlived;
    {
        juce::Component gone;
        outlived.targetWindow = &gone;
    }
    outlived.checkMainDisplay (&other);
    EXPECT_EQ (outlived.getLastUserArea(), other.userArea);
}

TEST (SafeWindowConstrainer, StartsWithTheMinimumAndPreferredSizes)
{
    const SafeWindowConstrainer constrainer;
    EXPECT_EQ (constrainer.getMinimumWidth(), 150);
    EXPECT_EQ (constrainer.getMinimumHeight(), 50);
    EXPECT_GE (constrainer.getMaximumWidth(), 150);
    EXPECT_EQ (constrainer.preferredWidth, 800);
    EXPECT_EQ (constrainer.preferredHeight, 600);
    EXPECT_EQ (constrainer.targetWindow, nullptr);
}
