#include "rack/StudioRackComponent.h"
#include "tests/rackui/RackUiTestSupport.h"
#include "ui/console/StudioConsoleComponent.h"
#include "ui/instruments/BuiltInInstrumentEditor.h"
#include "ui/instruments/BuiltInKeyboardEditor.h"
#include "ui/instruments/BuiltInPolySynthEditor.h"
#include "ui/instruments/BuiltInRhythmEditor.h"
#include "ui/instruments/BuiltInTannerinEditor.h"
#include "ui/instruments/InstrumentScalingWrapper.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/instruments/InternalInstrumentWindow.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
struct InstrumentWindowTest : ::testing::Test
{
    void SetUp() override
    {
        InstrumentUiState::keyboardShown = false;
        InternalInstrumentWindow::forgetRememberedWidths();
        processor = std::make_unique<TavrelDelayAudioProcessor>();
    }

    void TearDown() override
    {
        for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
            if (auto* w = dynamic_cast<InternalInstrumentWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                delete w;
        InternalInstrumentWindow::mainDisplayUserArea = nullptr;
        InstrumentUiState::keyboardShown = false;
        InternalInstrumentWindow::forgetRememberedWidths();
        RackUiTest::pump (20);
        processor.reset();
    }

    TavrelDelayAudioProcessor::InstrumentPlugin& addSlot (int type)
    {
        processor->addBuiltInInstrument (type);
        return *processor->instruments.back();
    }

    InternalInstrumentWindow* open (int type)
    {
        auto* window = new InternalInstrumentWindow (*processor, addSlot (type));
        RackUiTest::pump (30);
        return window;
    }

    /** A drag of the window's right edge to the width, as the user's resizer makes it. */
    static void dragRightEdgeTo (InternalInstrumentWindow& window, int width)
    {
        window.constrainer.setBoundsForComponent (&window, window.getBounds().withWidth (width), false, false, false, true);
    }

    static juce::Rectangle<int> area1920() { return {0, 0, 1920, 1040}; }

    std::unique_ptr<TavrelDelayAudioProcessor> processor;
};
} // namespace

TEST_F (InstrumentWindowTest, OpensAtTheSizeOfItsTypeOnARealWindow)
{
    RACKUI_REQUIRE_DISPLAY();
    InternalInstrumentWindow::mainDisplayUserArea = &area1920;

    struct Case
    {
        int type;
        bool keyboard;
        int width, height;
        const char* title;
    };
    for (const auto& c : {Case{1, false, 825, 416, "Velmora K-7 Mono Synthesizer"},
                          Case{1, true, 825, 656, "Velmora K-7 Mono Synthesizer"},
                          Case{2, false, 1350, 480, "Velmora Pulsaro Rhythm Machine"},
                          Case{3, false, 1012, 416, "Velmora K-70 Poly Synthesizer"},
                          Case{4, true, 1350, 500, "Velmora Lirvando"},
                          Case{5, false, 1012, 359, "Velmora Stage Keyboard"},
                          Case{5, true, 1012, 599, "Velmora Stage Keyboard"}})
    {
        InstrumentUiState::keyboardShown = c.keyboard;
        auto* window = open (c.type);
        SCOPED_TRACE (juce::String (c.type) + (c.keyboard ? " with keyboard" : ""));
        EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
        EXPECT_TRUE (window->isAlwaysOnTop());
        EXPECT_EQ (window->getName(), c.title);
        EXPECT_EQ (window->getWidth(), c.width);
        EXPECT_EQ (window->getHeight(), c.height);

        // The wrapper fills the window and holds the editor at its design size.
        auto* wrapper = window->getWrapper();
        ASSERT_NE (wrapper, nullptr);
        EXPECT_EQ (wrapper->getBounds(), window->getLocalBounds());
        EXPECT_EQ (window->getEditor()->getWidth(), wrapper->getDesignWidth());
        delete window;
    }
}

TEST_F (InstrumentWindowTest, ASmallDisplayLimitsTheHeightAndTheWidthFollows)
{
    RACKUI_REQUIRE_DISPLAY();
    InternalInstrumentWindow::mainDisplayUserArea = [] { return juce::Rectangle<int> (0, 0, 1280, 720); };
    InstrumentUiState::keyboardShown = true;

    auto* window = open (3);
    EXPECT_EQ (window->getWidth(), 956);
    EXPECT_EQ (window->getHeight(), 620);
    EXPECT_LE (window->constrainer.getMaximumHeight(), 720);
    EXPECT_LE (window->constrainer.getMaximumWidth(), 1280);
}

TEST_F (InstrumentWindowTest, RemembersTheWidthAndKeepsTheProportionsAndTheMinimum)
{
    RACKUI_REQUIRE_DISPLAY();
    InternalInstrumentWindow::mainDisplayUserArea = &area1920;

    auto* window = open (2);
    dragRightEdgeTo (*window, 1600);
    EXPECT_EQ (window->getWidth(), 1600);
    EXPECT_NEAR (window->getHeight(), 1600 * 480 / 1350.0, 1.0);
    EXPECT_EQ (InternalInstrumentWindow::getRememberedWidth (2), 1600);

    dragRightEdgeTo (*window, 300);
    EXPECT_EQ (window->getWidth(), 675);
    dragRightEdgeTo (*window, 1600);
    delete window;

    window = open (2);
    EXPECT_EQ (window->getWidth(), 1600);
    EXPECT_EQ (InternalInstrumentWindow::getRememberedWidth (1), 0) << "each type remembers its own";

    // The editor is scaled to fit and centred.
    auto* wrapper = window->getWrapper();
    const auto shown = wrapper->getLocalArea (window->getEditor(), window->getEditor()->getLocalBounds());
    EXPECT_NEAR (shown.getWidth(), 1600, 2);
    EXPECT_NEAR (shown.getCentreY(), wrapper->getHeight() / 2, 1);
}

TEST_F (InstrumentWindowTest, KbdGrowsTheWindowAndMovesItUpFromTheBottom)
{
    RACKUI_REQUIRE_DISPLAY();
    InternalInstrumentWindow::mainDisplayUserArea = &area1920;

    auto* window = open (5);
    auto* editor = dynamic_cast<BuiltInKeyboardEditor*> (window->getEditor());
    ASSERT_NE (editor, nullptr);
    window->setTopLeftPosition (200, 1040 - window->getHeight() - 10);
    const int width = window->getWidth();

    editor->kbdButton.triggerClick();
    RackUiTest::pump (30);

    EXPECT_NEAR (window->getWidth(), width, 1);
    EXPECT_NEAR (window->getHeight(), width * 800 / 1350.0, 1.0);
    EXPECT_EQ (window->getBottom(), 1040);
    EXPECT_EQ (window->getX(), 200);
    EXPECT_EQ (window->getWrapper()->getDesignHeight(), 800);
    EXPECT_EQ (editor->getHeight(), 800);
    ASSERT_NE (editor->keyboard, nullptr);
    EXPECT_EQ (editor->keyboard->getBounds(), juce::Rectangle<int> (0, 480, 1350, 320));

    // And back: the strip goes and the window keeps its width at the old proportions.
    editor->kbdButton.triggerClick();
    RackUiTest::pump (30);
    EXPECT_NEAR (window->getHeight(), width * 480 / 1350.0, 1.0);
    EXPECT_EQ (window->getWrapper()->getDesignHeight(), 480);
    EXPECT_EQ (editor->keyboard, nullptr);
}

TEST_F (InstrumentWindowTest, EachTypeOpensItsOwnEditorAndTheSynthesizersResizeWithTheirStrip)
{
    RACKUI_REQUIRE_DISPLAY();
    InternalInstrumentWindow::mainDisplayUserArea = &area1920;

    using Check = bool (*) (juce::Component*);
    const std::pair<int, Check> cases[] = {
        {1, [] (juce::Component* c) { return dynamic_cast<BuiltInInstrumentEditor*> (c) != nullptr; }},
        {2, [] (juce::Component* c) { return dynamic_cast<BuiltInRhythmEditor*> (c) != nullptr; }},
        {3, [] (juce::Component* c) { return dynamic_cast<BuiltInPolySynthEditor*> (c) != nullptr; }},
        {4, [] (juce::Component* c) { return dynamic_cast<BuiltInTannerinEditor*> (c) != nullptr; }},
        {5, [] (juce::Component* c) { return dynamic_cast<BuiltInKeyboardEditor*> (c) != nullptr; }}};
    for (const auto& [type, isItsEditor] : cases)
    {
        auto* window = open (type);
        EXPECT_TRUE (isItsEditor (window->getEditor())) << type;
        delete window;
    }

    // The mono synthesizer's KBD: 825 x 416 grows to 825 x 656.
    auto* window = open (1);
    auto* mono = dynamic_cast<BuiltInInstrumentEditor*> (window->getEditor());
    ASSERT_NE (mono, nullptr);
    mono->kbdButton.triggerClick();
    RackUiTest::pump (30);
    EXPECT_EQ (window->getWidth(), 825);
    EXPECT_EQ (window->getHeight(), 656);
    EXPECT_EQ (window->getWrapper()->getDesignHeight(), 875);
}

TEST_F (InstrumentWindowTest, EscapeClosesTheWindow)
{
    RACKUI_REQUIRE_DISPLAY();
    juce::Component::SafePointer<InternalInstrumentWindow> window (open (4));
    ASSERT_NE (window.getComponent(), nullptr);
    window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    RackUiTest::pump (30);
    EXPECT_EQ (window.getComponent(), nullptr);
}

TEST_F (InstrumentWindowTest, ASlotReplacedUnderTheWindowClosesItAndOutlivesItsEditor)
{
    RACKUI_REQUIRE_DISPLAY();
    juce::Component::SafePointer<InternalInstrumentWindow> window (open (5));
    std::weak_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot = processor->instruments.back();

    // What loading a state does to the slots, without asking the windows first.
    processor->removeInstrument (0);

    bool editorOutlivedSlot = false;
    RackUiTest::pumpUntil ([&]
    {
        editorOutlivedSlot = editorOutlivedSlot || (window != nullptr && slot.expired());
        return window == nullptr;
    }, 3000);

    EXPECT_EQ (window.getComponent(), nullptr);
    EXPECT_FALSE (editorOutlivedSlot);
    RackUiTest::pumpUntil ([&] { return slot.expired(); }, 3000);
    EXPECT_TRUE (slot.expired()) << "the slot goes once the window has";
}

TEST_F (InstrumentWindowTest, TheConsoleLetsTheRackOpenInstrumentWindows)
{
    RACKUI_REQUIRE_DISPLAY();
    StudioRackComponent::makeInstrumentWindow = nullptr;
    {
        StudioConsoleComponent console (*processor);
        ASSERT_TRUE (StudioRackComponent::makeInstrumentWindow != nullptr);
        auto* window = StudioRackComponent::makeInstrumentWindow (*processor, addSlot (5));
        auto* instrumentWindow = dynamic_cast<InternalInstrumentWindow*> (window);
        ASSERT_NE (instrumentWindow, nullptr);
        EXPECT_EQ (instrumentWindow->slot, processor->instruments.back().get());
        EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
        delete window;
    }
    StudioRackComponent::makeInstrumentWindow = nullptr;
}

TEST (InstrumentScalingWrapperTest, ScalesUniformlyAndCentres)
{
    auto* editor = new juce::Component();
    InstrumentScalingWrapper wrapper (std::unique_ptr<juce::Component> (editor), 100, 50);
    EXPECT_EQ (wrapper.getBounds(), juce::Rectangle<int> (0, 0, 100, 50));
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 100, 50));

    struct Case
    {
        int width, height;
        juce::Rectangle<int> shown;
    };
    for (const auto& c : {Case{300, 100, {50, 0, 200, 100}}, Case{100, 200, {0, 75, 100, 50}}, Case{50, 25, {0, 0, 50, 25}}})
    {
        wrapper.setSize (c.width, c.height);
        EXPECT_EQ (wrapper.getLocalArea (editor, editor->getLocalBounds()), c.shown) << c.width << " x " << c.height;
    }

    wrapper.setSize (100, 50);
    wrapper.setDesignSize (100, 100);
    EXPECT_EQ (editor->getHeight(), 100);
    EXPECT_EQ (wrapper.getLocalArea (editor, editor->getLocalBounds()), juce::Rectangle<int> (25, 0, 50, 50));
}

TEST_F (InstrumentWindowTest, InstrumentScreensDraw)
{
    RACKUI_REQUIRE_DISPLAY();
    InternalInstrumentWindow::mainDisplayUserArea = &area1920;

    auto* window = open (5);
    auto* editor = dynamic_cast<BuiltInKeyboardEditor*> (window->getEditor());
    ASSERT_NE (editor, nullptr);
    RackUiTest::pump (100);

    // Painted on the faceplate, not on the window's plain grey; the title in its cream.
    const auto image = editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_NE (image.getPixelAt (20, 300), juce::Colour (0xffa0a0a0));
    RackUiTest::saveScreenshot (*window, "stage-keyboard-window.png");

    editor->kbdButton.triggerClick();
    RackUiTest::pump (100);
    RackUiTest::saveScreenshot (*window, "stage-keyboard-window-keys.png");
    delete window;

    // The minimal look: the theme's background, panels and keys.
    ModernLookAndFeel modern;
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    InstrumentUiState::keyboardShown = false;
    window = open (5);
    RackUiTest::pump (100);
    const auto minimal = window->getEditor()->createComponentSnapshot ({0, 0, 40, 40});
    EXPECT_EQ (minimal.getPixelAt (5, 5), juce::Colour (modern.cBg));
    RackUiTest::saveScreenshot (*window, "stage-keyboard-window-minimal.png");
    delete window;
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
