#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace
{
bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

#define STRIP_REQUIRE_DISPLAY()                                                                    \
    if (! displayAvailable())                                                                      \
    {                                                                                              \
        if (juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1")     \
            FAIL() << "window tests need a display";                                              \
        GTEST_SKIP() << "no display";                                                              \
    }

void pump (int ms = 30)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

/** Other test processes share the display and may hold the focus for a moment. */
bool pumpUntil (const std::function<bool()>& done, int timeoutMs = 3000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! done() && juce::Time::getMillisecondCounter() < end)
        pump (10);
    return done();
}

/** Counts note-ons as the processor's keyboard state hands them on. */
struct NoteLog : juce::MidiKeyboardState::Listener
{
    std::vector<std::pair<int, float>> ons;
    std::vector<int> offs;
    void handleNoteOn (juce::MidiKeyboardState*, int channel, int note, float velocity) override
    {
        EXPECT_EQ (channel, 1);
        ons.emplace_back (note, velocity);
    }
    void handleNoteOff (juce::MidiKeyboardState*, int, int note, float) override { offs.push_back (note); }
};

struct StripTest : ::testing::Test
{
    StripTest()
    {
        InstrumentUiState::keyWidth = 35;
        for (int i = 0; i < 2; ++i)
            processor.instruments.push_back (makeInstrumentPlugin());
        processor.keyboardTargetSlot = 0;
        processor.keyboardState.addListener (&log);
    }

    ~StripTest() override
    {
        processor.keyboardState.removeListener (&log);
        InstrumentUiState::keyWidth = 35;
    }

    std::unique_ptr<EmbeddedInstrumentKeyboard> makeStrip (int slotIndex = 1)
    {
        auto strip = makeEmbeddedInstrumentKeyboard (processor, processor.instruments[(size_t)slotIndex].get());
        strip->isKeyPhysicallyDown = [this] (int c) { return keysDown.count (c) > 0; };
        strip->setSize (1000, EmbeddedInstrumentKeyboard::preferredHeight);
        return strip;
    }

    template <typename T>
    static T& child (juce::Component& parent, const char* id)
    {
        auto* found = dynamic_cast<T*> (parent.findChildWithID (id));
        EXPECT_NE (found, nullptr) << id;
        return *found;
    }

    static juce::KeyPress key (juce::juce_wchar c) { return juce::KeyPress ((int)c, {}, c); }

    TavrelDelayAudioProcessor processor;
    NoteLog log;
    std::set<int> keysDown;
};
} // namespace

TEST_F (StripTest, NoteKeysPlayAtTheOctaveInEitherCase)
{
    const struct
    {
        int octave;
        juce::juce_wchar character;
        int note;
    } cases[] = {{4, 'a', 60}, {4, 'A', 60}, {4, 'k', 72}, {4, ';', 76}, {4, ':', 76},
                 {4, '\'', 77}, {4, '"', 77}, {0, 'a', 12}, {8, '\'', 125}};

    for (const auto& c : cases)
    {
        auto strip = makeStrip();
        while (strip->getOctave() > c.octave)
            strip->keyPressed (key ('z'));
        while (strip->getOctave() < c.octave)
            strip->keyPressed (key ('x'));

        log.ons.clear();
        EXPECT_TRUE (strip->keyPressed (key (c.character))) << (char)c.character;
        ASSERT_EQ (log.ons.size(), 1u) << (char)c.character;
        EXPECT_EQ (log.ons[0].first, c.note) << (char)c.character;
        EXPECT_FLOAT_EQ (log.ons[0].second, 0.8f);
        strip->focusLost (juce::Component::focusChangedDirectly);
    }

    auto strip = makeStrip();
    for (int code : {(int)'b', (int)'q', (int)'1', juce::KeyPress::spaceKey})
        EXPECT_FALSE (strip->keyPressed (juce::KeyPress (code))) << code;
    EXPECT_EQ (EmbeddedInstrumentKeyboard::keyToNoteOffset ('O'), 13);
    EXPECT_EQ (EmbeddedInstrumentKeyboard::keyToNoteOffset ('b'), -1);
}

TEST_F (StripTest, CtrlAndAltKeysAreLeftToTheWindowsShortcuts)
{
    auto strip = makeStrip();
    const auto octave = strip->getOctave();

    for (const int mods : {(int) juce::ModifierKeys::ctrlModifier, (int) juce::ModifierKeys::altModifier,
                           juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier})
        for (const juce::juce_wchar c : {'s', 'a', 'z', 'x', 'c'})
            EXPECT_FALSE (strip->keyPressed (juce::KeyPress ((int)c, juce::ModifierKeys (mods), c))) << (char)c;

    EXPECT_TRUE (log.ons.empty());
    EXPECT_EQ (strip->getOctave(), octave);
    EXPECT_TRUE (strip->keyPressed (juce::KeyPress ('a', juce::ModifierKeys::shiftModifier, 'A')));
    EXPECT_EQ (log.ons.size(), 1u);
}

TEST_F (StripTest, AHeldKeyPlaysOnceAndEndsWhenItsKeyIsUp)
{
    auto strip = makeStrip (1);
    keysDown = {'a'};
    strip->keyPressed (key ('a'));
    strip->keyPressed (key ('a')); // auto-repeat
    EXPECT_EQ (log.ons.size(), 1u);
    EXPECT_EQ (processor.keyboardTargetSlot.load(), 1);

    EXPECT_FALSE (strip->keyStateChanged (true));
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));

    // Shift held down on the same key still keeps the note.
    keysDown = {'A'};
    strip->keyStateChanged (false);
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));

    keysDown.clear();
    EXPECT_FALSE (strip->keyStateChanged (false));
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_TRUE (strip->getHeldNotes().isEmpty());
}

TEST_F (StripTest, AnOctaveChangeEndsTheNoteAtTheNextKeyEvent)
{
    auto strip = makeStrip();
    keysDown = {'a'};
    strip->keyPressed (key ('a'));
    EXPECT_TRUE (strip->keyPressed (key ('x')));
    EXPECT_EQ (strip->getOctave(), 5);
    strip->keyStateChanged (true);
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
}

TEST_F (StripTest, FocusLeavingReleasesEveryTypedNote)
{
    auto strip = makeStrip();
    keysDown = {'a', 'g', 'k'};
    for (auto c : {'a', 'g', 'k'})
        strip->keyPressed (key ((juce::juce_wchar)c));
    strip->focusLost (juce::Component::focusChangedByMouseClick);
    for (int note : {60, 67, 72})
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, note)) << note;
    EXPECT_TRUE (strip->getHeldNotes().isEmpty());
}

TEST_F (StripTest, AStripDestroyedWhileAKeyIsDownEndsItsNote)
{
    auto strip = makeStrip();
    keysDown = {'a'};
    strip->keyPressed (key ('a'));
    ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 60));
    strip.reset();
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
}

TEST_F (StripTest, OctaveAndVelocityStopAtTheirLimitsAndReachTheProcessor)
{
    auto strip = makeStrip();
    auto& octaveValue = child<juce::Label> (*strip, EmbeddedInstrumentKeyboard::octaveValueId);
    auto& velocityValue = child<juce::Label> (*strip, EmbeddedInstrumentKeyboard::velocityValueId);
    EXPECT_EQ (octaveValue.getText(), "4");
    EXPECT_EQ (velocityValue.getText(), "102");

    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE (strip->keyPressed (key ('X')));
    EXPECT_EQ (strip->getOctave(), 8);
    EXPECT_EQ (octaveValue.getText(), "8");
    EXPECT_EQ (processor.keyboardOctave.load(), 8);

    child<juce::TextButton> (*strip, EmbeddedInstrumentKeyboard::octaveDownButtonId).triggerClick();
    pump();
    EXPECT_EQ (strip->getOctave(), 7);

    // Down from 0.8 by tenths, to the floor and past it.
    const juce::StringArray expected{"89", "76", "64", "51", "38", "25", "13", "13"};
    for (const auto& shown : expected)
    {
        EXPECT_TRUE (strip->keyPressed (key ('c')));
        EXPECT_EQ (velocityValue.getText(), shown);
    }
    EXPECT_FLOAT_EQ (processor.keyboardVelocity.load(), 0.1f);

    auto& up = child<juce::TextButton> (*strip, EmbeddedInstrumentKeyboard::velocityUpButtonId);
    for (int i = 0; i < 12; ++i)
        up.triggerClick();
    pump();
    EXPECT_EQ (velocityValue.getText(), "127");
    EXPECT_FLOAT_EQ (strip->getVelocity(), 1.0f);

    log.ons.clear();
    strip->keyPressed (key ('a'));
    ASSERT_EQ (log.ons.size(), 1u);
    EXPECT_EQ (log.ons[0].first, 7 * 12 + 12);
    EXPECT_FLOAT_EQ (log.ons[0].second, 1.0f);
}

TEST_F (StripTest, KeySizesCycleAndScrollToTheOctave)
{
    auto strip = makeStrip();
    auto& sizeButton = child<juce::TextButton> (*strip, EmbeddedInstrumentKeyboard::keySizeButtonId);
    auto& keys = child<juce::MidiKeyboardComponent> (*strip, EmbeddedInstrumentKeyboard::keysId);

    EXPECT_EQ (sizeButton.getButtonText(), "Key Size: S");
    EXPECT_EQ (keys.getLowestVisibleKey(), 48);

    const struct
    {
        float width;
        const char* text;
        int lowest;
    } steps[] = {{55, "Key Size: M", 60}, {75, "Key Size: L", 60}, {95, "Key Size: XL", 60}, {35, "Key Size: S", 48}};
    for (const auto& step : steps)
    {
        sizeButton.triggerClick();
        pump();
        EXPECT_EQ (keys.getKeyWidth(), step.width);
        EXPECT_EQ (sizeButton.getButtonText(), step.text);
        EXPECT_EQ (keys.getLowestVisibleKey(), step.lowest);
        EXPECT_EQ (InstrumentUiState::keyWidth, (int)step.width);
    }

    // A strip made later starts with the remembered size; octave 0 never scrolls below the range.
    sizeButton.triggerClick();
    sizeButton.triggerClick();
    pump();
    auto later = makeStrip();
    EXPECT_EQ (child<juce::MidiKeyboardComponent> (*later, EmbeddedInstrumentKeyboard::keysId).getKeyWidth(), 75.0f);
    EXPECT_EQ (child<juce::TextButton> (*later, EmbeddedInstrumentKeyboard::keySizeButtonId).getButtonText(), "Key Size: L");

    for (int i = 0; i < 5; ++i)
        strip->keyPressed (key ('z'));
    sizeButton.triggerClick(); // XL
    sizeButton.triggerClick(); // S
    pump();
    EXPECT_EQ (keys.getLowestVisibleKey(), 0);
}

TEST_F (StripTest, ToolbarLaysOutFromTheRightAndKeysFillTheRest)
{
    auto strip = makeStrip();
    const auto bounds = [&] (const char* id) { return strip->findChildWithID (id)->getBounds(); };

    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::keySizeButtonId), juce::Rectangle<int> (890, 2, 100, 26));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::lockButtonId), juce::Rectangle<int> (850, 2, 40, 26));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::velocityUpButtonId), juce::Rectangle<int> (805, 2, 25, 26));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::velocityValueId), juce::Rectangle<int> (765, 2, 40, 26));
    EXPECT_EQ (bounds ("VELOCITY_CAPTION"), juce::Rectangle<int> (670, 2, 70, 26));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::octaveUpButtonId), juce::Rectangle<int> (615, 2, 25, 26));
    EXPECT_EQ (bounds ("OCTAVE_CAPTION"), juce::Rectangle<int> (500, 2, 60, 26));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::keysId), juce::Rectangle<int> (0, 30, 1000, 290));

    // Narrow and low: widths shrink to what is left, never below nothing.
    strip->setSize (200, 20);
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::keySizeButtonId), juce::Rectangle<int> (90, 2, 100, 16));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::lockButtonId), juce::Rectangle<int> (50, 2, 40, 16));
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::velocityUpButtonId), juce::Rectangle<int> (10, 2, 20, 16));
    EXPECT_EQ (bounds ("OCTAVE_CAPTION").getWidth(), 0);
    EXPECT_EQ (bounds (EmbeddedInstrumentKeyboard::keysId), juce::Rectangle<int> (0, 20, 200, 0));
}

TEST_F (StripTest, PaintsDarkUnderTheVintageLookAndThemeColoursUnderTheMinimalOne)
{
    auto strip = makeStrip();
    auto vintage = strip->createComponentSnapshot (strip->getLocalBounds());
    EXPECT_EQ (vintage.getPixelAt (0, 0), juce::Colours::black);
    EXPECT_EQ (vintage.getPixelAt (1, 10), juce::Colours::black);
    EXPECT_EQ (vintage.getPixelAt (4, 4), juce::Colour (0xff151515));

    ModernLookAndFeel modern;
    modern.cChassis1 = 0xff205080;
    modern.cDark = 0xff000000;
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    auto minimal = strip->createComponentSnapshot (strip->getLocalBounds());
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    EXPECT_EQ (minimal.getPixelAt (4, 4), juce::Colour (0xff205080));
    const auto edge = minimal.getPixelAt (0, 4), expectedEdge = juce::Colour (0xff205080).overlaidWith (juce::Colour (0x33000000));
    EXPECT_NEAR (edge.getGreen(), expectedEdge.getGreen(), 1);
    EXPECT_NEAR (edge.getBlue(), expectedEdge.getBlue(), 1);
    EXPECT_EQ (minimal.getPixelAt (1, 4), juce::Colour (0xff205080));
}

TEST_F (StripTest, AStripWithoutASlotPlaysWithoutChangingTheTarget)
{
    processor.keyboardTargetSlot = 1;
    EmbeddedInstrumentKeyboard strip (processor, nullptr);
    strip.keyPressed (key ('a'));
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_EQ (processor.keyboardTargetSlot.load(), 1);
    strip.focusLost (juce::Component::focusChangedDirectly);
}

// ---- In a real window: mouse, focus and the lock ----

namespace
{
struct StripWindowTest : StripTest
{
    void SetUp() override
    {
        STRIP_REQUIRE_DISPLAY();
        strip = makeStrip (1);
        // Bottom right, away from the centred windows of the other tests.
        host.setBounds (1920 - 1000, 1080 - 360, 1000, 320 + 40);
        host.setAlwaysOnTop (true);
        host.addAndMakeVisible (*strip);
        host.addAndMakeVisible (elsewhere);
        strip->setTopLeftPosition (0, 0);
        elsewhere.setBounds (0, 320, 100, 40);
        elsewhere.setWantsKeyboardFocus (true);
        host.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        host.setVisible (true);
        pump (100);
    }

    void TearDown() override
    {
        strip.reset();
        host.removeFromDesktop();
    }

    void click (juce::Point<float> position)
    {
        auto* peer = host.getPeer();
        ASSERT_NE (peer, nullptr);
        // Windows of other test processes on the same display may lie over the point, and a
        // click there would reach them: raise the host until the point is its own.
        ASSERT_TRUE (pumpUntil (
            [&]
            {
                host.toFront (false);
                return peer->contains (position.roundToInt(), true);
            },
            5000));
        static juce::int64 now = juce::Time::currentTimeMillis();
        now += 5000;
        const auto source = juce::MouseInputSource::InputSourceType::mouse;
        peer->handleMouseEvent (source, position, {}, 0.0f, 0.0f, now);
        peer->handleMouseEvent (source, position, juce::ModifierKeys::leftButtonModifier, 0.5f, 0.0f, now + 1);
        pump (20);
    }

    void release (juce::Point<float> position)
    {
        static juce::int64 now = juce::Time::currentTimeMillis() + 1000000;
        now += 5000;
        host.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position, {}, 0.0f, 0.0f, now);
        pump (20);
    }

    juce::Component host, elsewhere;
    std::unique_ptr<EmbeddedInstrumentKeyboard> strip;
};
} // namespace

TEST_F (StripWindowTest, AClickOnAPianoKeyPlaysItForThisSlotOnly)
{
    ASSERT_NE (host.getPeer(), nullptr);
    ASSERT_NE (host.getPeer()->getNativeHandle(), nullptr);

    auto& keys = child<juce::MidiKeyboardComponent> (*strip, EmbeddedInstrumentKeyboard::keysId);
    processor.keyboardTargetSlot = 0;
    const float x = keys.getKeyStartPosition (60) + 10.0f;
    const juce::Point<float> onC4 (x, 30.0f + 270.0f);
    click (onC4);

    EXPECT_EQ (processor.keyboardTargetSlot.load(), 1);
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));
    release (onC4);
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));

    // The click leaves the focus with the strip, not the piano: typing then plays at the
    // strip's octave (the piano's own key map would play "a" two octaves higher).
    EXPECT_NE (juce::Component::getCurrentlyFocusedComponent(), &keys);
    if (strip->hasKeyboardFocus (false)) // unless another test process took the focus meanwhile
    {
        host.getPeer()->handleKeyPress (key ('a'));
        EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 72));
    }
}

TEST_F (StripWindowTest, AClickOnTheToolbarTakesFocusAndFocusLeavingEndsTypedNotes)
{
    // Other test processes share the display and may take the focus at any moment: the steps
    // that need it are tried again when the focus went elsewhere meanwhile.
    bool tookFocus = false, released = false;
    for (int attempt = 0; attempt < 5 && ! (tookFocus && released); ++attempt)
    {
        elsewhere.grabKeyboardFocus();
        processor.keyboardTargetSlot = 0;
        click ({300.0f, 15.0f}); // the toolbar's empty left part
        release ({300.0f, 15.0f});
        EXPECT_EQ (processor.keyboardTargetSlot.load(), 1);
        tookFocus = strip->hasKeyboardFocus (false);
        if (! tookFocus)
            continue;

        keysDown = {'a'};
        strip->keyPressed (key ('a'));
        if (! strip->hasKeyboardFocus (false))
        {
            strip->focusLost (juce::Component::focusChangedDirectly);
            continue;
        }
        elsewhere.grabKeyboardFocus();
        released = ! processor.keyboardState.isNoteOn (1, 60);
    }
    EXPECT_TRUE (tookFocus);
    EXPECT_TRUE (released);
}

TEST_F (StripWindowTest, TheLockKeepsTheWindowOnTopModalAndFocusedUntilUnlocked)
{
    host.setAlwaysOnTop (false); // unlocking gives the window back its own setting
    auto& lock = child<juce::TextButton> (*strip, EmbeddedInstrumentKeyboard::lockButtonId);
    EXPECT_EQ (lock.getButtonText(), juce::String::fromUTF8 ("\xf0\x9f\x94\x93"));
    EXPECT_EQ (lock.getTooltip(), "Lock Keyboard Focus");

    lock.triggerClick();
    pump();
    EXPECT_TRUE (strip->isFocusLocked());
    EXPECT_EQ (lock.getButtonText(), juce::String::fromUTF8 ("\xf0\x9f\x94\x92"));
    EXPECT_TRUE (host.isAlwaysOnTop());
    EXPECT_TRUE (host.isCurrentlyModal (false));
    EXPECT_TRUE (pumpUntil ([&] { return strip->hasKeyboardFocus (false); }));

    // Focus wandering off comes back within a tick or two.
    elsewhere.grabKeyboardFocus();
    EXPECT_FALSE (strip->hasKeyboardFocus (false));
    EXPECT_TRUE (pumpUntil ([&] { return strip->hasKeyboardFocus (false); }));

    lock.triggerClick();
    pump();
    EXPECT_FALSE (host.isCurrentlyModal (false));
    EXPECT_FALSE (host.isAlwaysOnTop());
    elsewhere.grabKeyboardFocus();
    pump (350);
    EXPECT_FALSE (strip->hasKeyboardFocus (false)) << "unlocked, the strip no longer pulls the focus back";

    // A strip destroyed while locked leaves no modal window behind.
    lock.triggerClick();
    pump();
    ASSERT_TRUE (host.isCurrentlyModal (false));
    strip.reset();
    EXPECT_FALSE (host.isCurrentlyModal (false));
}

TEST_F (StripTest, AWindowClosedWhileItsStripIsLockedLeavesNothingModal)
{
    STRIP_REQUIRE_DISPLAY();
    auto* window = new juce::DocumentWindow ("Instrument", juce::Colours::black, juce::DocumentWindow::closeButton, true);
    window->setContentOwned (makeStrip().release(), true);
    window->setVisible (true);
    auto* strip = dynamic_cast<EmbeddedInstrumentKeyboard*> (window->getContentComponent());
    ASSERT_NE (strip, nullptr);

    dynamic_cast<juce::Button*> (strip->findChildWithID (EmbeddedInstrumentKeyboard::lockButtonId))->triggerClick();
    pump();
    ASSERT_TRUE (window->isCurrentlyModal (false));
    EXPECT_TRUE (window->isAlwaysOnTop());

    delete window;
    pump();
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}
