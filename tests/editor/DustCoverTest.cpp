#include "EditorTestSupport.h"

#include "ui/deck/DustCoverComponent.h"

using EditorTest::EditorFixture;

namespace
{
/** Runs the cover's animation to its end (48 ticks of 16 ms, with room to spare). */
bool waitUntilSettled (DustCoverComponent& cover, float alpha)
{
    return EditorTest::runMessagesUntil ([&] { return std::abs (cover.getCurrentAlpha() - alpha) < 0.001f; }, 15000);
}

juce::MouseEvent pressAt (juce::Component& target, juce::Point<float> position, juce::ModifierKeys mods, int clicks)
{
    return {juce::Desktop::getInstance().getMainMouseSource(),
            position,
            mods,
            juce::MouseInputSource::defaultPressure,
            juce::MouseInputSource::defaultOrientation,
            juce::MouseInputSource::defaultRotation,
            juce::MouseInputSource::defaultTiltX,
            juce::MouseInputSource::defaultTiltY,
            &target,
            &target,
            juce::Time::getCurrentTime(),
            position,
            juce::Time::getCurrentTime(),
            clicks,
            false};
}

/** Clicks the editor's window at a point of the editor, as the mouse would: JUCE finds the
    component under it through the deck's transform and the hit tests. */
void clickEditorAt (juce::Component& editor, juce::Point<float> position)
{
    auto* peer = editor.getPeer();
    ASSERT_NE (peer, nullptr);
    // Each click a few seconds after the last, so no two make a double click.
    static juce::int64 now = juce::Time::currentTimeMillis();
    now += 5000;
    const auto source = juce::MouseInputSource::InputSourceType::mouse;
    peer->handleMouseEvent (source, position, {}, 0.0f, 0.0f, now);
    peer->handleMouseEvent (source, position, juce::ModifierKeys::leftButtonModifier, 0.0f, 0.0f, now + 1);
    peer->handleMouseEvent (source, position, {}, 0.0f, 0.0f, now + 60);
    EditorTest::runMessages (20);
}
} // namespace

TEST (DustCover, TakesClicksOnlyOnItsLid)
{
    const struct
    {
        int x, y;
        bool onLid;
    } cases[] = {
        {900, 100, false}, {901, 100, true},  {1459, 100, true}, {1460, 100, false},
        {1000, 71, false}, {1000, 72, true},  {1000, 362, true}, {1000, 363, false},
    };

    DustCoverComponent cover;
    cover.setSize (1699, 1133);

    for (const auto& c : cases)
        EXPECT_EQ (cover.hitTest (c.x, c.y), c.onLid) << c.x << ", " << c.y;
}

TEST_F (EditorFixture, AClickOnTheDeckPassesBesideTheLidAndLiftsItOnTheLid)
{
    if (! EditorTest::displayAvailable())
    {
        if (EditorTest::displayRequired())
            FAIL() << "this test clicks a real window: run it under xvfb-run";
        GTEST_SKIP() << "no display";
    }

    auto& editor = makeEditor();
    editor.setSize (1699, 1133); // scale 1: editor points are deck points
    showDeck();
    editor.addToDesktop (0);
    editor.setVisible (true);
    ASSERT_NE (editor.getPeer()->getNativeHandle(), nullptr);
    ASSERT_TRUE (EditorTest::runMessagesUntil ([&] { return editor.isShowing(); }, 5000));
    EditorTest::runMessages (100);

    auto& cover = *editor.dustCover;
    ASSERT_TRUE (cover.isVisible());

    clickEditorAt (editor, {900.0f, 100.0f});
    EXPECT_FALSE (cover.isLifted()) << "a click beside the lid reaches the deck";

    clickEditorAt (editor, {901.0f, 100.0f});
    EXPECT_TRUE (cover.isLifted());

    ASSERT_TRUE (waitUntilSettled (cover, 0.0f));
    EXPECT_FALSE (cover.isVisible());
    EXPECT_NEAR (cover.getCurrentYOffset(), 40.0f, 0.001f);

    // Lifting is remembered: the theme file says so and the next editor starts without the cover.
    const auto theme = juce::parseXML (EditorTest::themeFile());
    ASSERT_NE (theme, nullptr);
    EXPECT_EQ (theme->getStringAttribute ("showDustCover"), "0");

    editor.removeFromDesktop();
    auto& next = makeEditor();
    showDeck();
    EXPECT_FALSE (next.dustCover->isVisible());
    EXPECT_TRUE (next.dustCover->isLifted());
}

TEST (DustCover, IgnoresRightClicksAndSecondClicks)
{
    DustCoverComponent cover;
    cover.setSize (1699, 1133);

    cover.mouseDown (pressAt (cover, {1000.0f, 100.0f}, juce::ModifierKeys::rightButtonModifier, 1));
    EXPECT_FALSE (cover.isLifted());

    cover.mouseDown (pressAt (cover, {1000.0f, 100.0f}, juce::ModifierKeys::leftButtonModifier, 2));
    EXPECT_FALSE (cover.isLifted());

    cover.mouseDown (pressAt (cover, {1000.0f, 100.0f}, juce::ModifierKeys::leftButtonModifier, 1));
    EXPECT_TRUE (cover.isLifted());
}

TEST (DustCover, ADropDuringALiftReversesItWithoutReportingALift)
{
    DustCoverComponent cover;
    cover.setSize (1699, 1133);
    cover.setVisible (true);
    int lifts = 0;
    cover.onLifted = [&] { ++lifts; };

    cover.lift();
    ASSERT_TRUE (EditorTest::runMessagesUntil ([&] { return cover.getCurrentAlpha() < 0.6f; }, 3000));
    const float alphaWhenDropped = cover.getCurrentAlpha();
    EXPECT_GT (alphaWhenDropped, 0.0f);

    cover.drop();
    EditorTest::runMessages (40);
    EXPECT_GT (cover.getCurrentAlpha(), alphaWhenDropped) << "rises back from where it was";

    ASSERT_TRUE (waitUntilSettled (cover, 1.0f));
    EXPECT_NEAR (cover.getCurrentYOffset(), 0.0f, 0.001f);
    EXPECT_TRUE (cover.isVisible());
    EXPECT_FALSE (cover.isLifted());
    EXPECT_EQ (lifts, 0);

    // A whole lift reports once and hides the cover.
    cover.lift();
    ASSERT_TRUE (waitUntilSettled (cover, 0.0f));
    EditorTest::runMessages (40);
    EXPECT_EQ (lifts, 1);
    EXPECT_FALSE (cover.isVisible());
}

TEST (DustCover, DrawsNothingWithALookThatHasNoCoverPicture)
{
    DustCoverComponent cover;
    juce::LookAndFeel_V4 plainLook;
    cover.setLookAndFeel (&plainLook);
    cover.setSize (1699, 1133);

    const auto picture = cover.createComponentSnapshot (cover.getLocalBounds(), false);
    EXPECT_EQ (picture.getPixelAt (1000, 200).getAlpha(), 0);
    EXPECT_EQ (picture.getPixelAt (100, 1000).getAlpha(), 0);
    EXPECT_TRUE (cover.hitTest (1000, 200)) << "it still takes clicks on its lid";

    cover.setLookAndFeel (nullptr);
}

TEST_F (EditorFixture, TheCoverLiesOnlyOnTheSkeuomorphicDeck)
{
    auto& editor = makeEditor();
    showDeck();
    EXPECT_TRUE (editor.dustCover->isVisible());
    EXPECT_EQ (editor.dustCover->getBounds(), editor.deckPanel.getLocalBounds());

    switchInterface (true);
    EXPECT_FALSE (editor.dustCover->isVisible());

    switchInterface (false);
    EXPECT_TRUE (editor.dustCover->isVisible()) << "a cover that was never lifted comes back";
}

TEST_F (EditorFixture, PuttingTheCoverAwayKeepsTheRestOfTheThemeFile)
{
    EditorTest::themeFile().getParentDirectory().createDirectory();
    juce::XmlElement theme ("THEME");
    theme.setAttribute ("cBg", "ff202020");
    theme.setAttribute ("showDustCover", "1");
    ASSERT_TRUE (theme.writeTo (EditorTest::themeFile()));

    makeEditor().hideDustCoverPermanently();

    const auto written = juce::parseXML (EditorTest::themeFile());
    ASSERT_NE (written, nullptr);
    EXPECT_EQ (written->getTagName(), "THEME");
    EXPECT_EQ (written->getStringAttribute ("cBg"), "ff202020");
    EXPECT_EQ (written->getStringAttribute ("showDustCover"), "0");

    // A file that does not parse is replaced by one holding only the switch.
    ASSERT_TRUE (EditorTest::themeFile().replaceWithText ("<THEME broken"));
    editor->hideDustCoverPermanently();
    const auto replaced = juce::parseXML (EditorTest::themeFile());
    ASSERT_NE (replaced, nullptr);
    EXPECT_EQ (replaced->getStringAttribute ("showDustCover"), "0");
}
