#include "effects/OptoCompEngine.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/BuiltInEffectEditor.h"
#include "rack/EffectEditorIds.h"
#include "rack/InternalEffectWindow.h"
#include "tests/rackui/RackUiTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using Layer = BuiltInEffectEditor::ContentLayer;

std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin> makeSlot (int type)
{
    auto slot = makeInsertPlugin();
    slot->builtInType = type;
    slot->name = BuiltInEffectEditor::windowTitle (type);
    slot->createEngine (44100.0);
    return slot;
}

struct EffectWindowFixture : public ::testing::Test
{
    void SetUp() override { RACKUI_REQUIRE_DISPLAY(); }
    void TearDown() override { delete window.getComponent(); }

    Layer& open (int type, TavrelDelayAudioProcessor::InsertPlugin* settings)
    {
        delete window.getComponent();
        window = new InternalEffectWindow (processor, type, settings);
        return window->getEditor()->content;
    }

    /** The x of each visible caption, left to right. */
    static juce::Array<int> captionXs (Layer& layer)
    {
        juce::Array<int> xs;
        for (auto* label : layer.labels)
            if (label->isVisible())
                xs.add (label->getX());
        return xs;
    }

    TavrelDelayAudioProcessor processor;
    juce::Component::SafePointer<InternalEffectWindow> window;
};
} // namespace

TEST_F (EffectWindowFixture, EveryBuiltInEffectOpensInARealWindowBoundToItsSlot)
{
    struct Expected
    {
        int type;
        const char* title;
        int visibleCaptions;
    };
    const Expected expected[] = {
        {1, "Velmora Analog Reverb", 4}, {2, "Velmora Tape Echo", 5},       {3, "Velmora Opto Comp", 3},
        {4, "Velmora Line Amp", 1},      {5, "Velmora Equalizer", 0},       {6, "Velmora Multi-Modulator", 2},
        {7, "Velmora FET-Q9", 5},
    };
    const char* shots[] = {"", "effect_reverb.png", "effect_tape_echo.png", "effect_opto_comp.png", "effect_line_amp.png",
                           "effect_equalizer.png", "effect_multi_modulator.png", "effect_fet_q9.png"};

    for (const auto& e : expected)
    {
        SCOPED_TRACE (e.title);
        auto slot = makeSlot (e.type);
        slot->eqGain[1] = 6.0f;
        slot->eqGain[3] = -4.0f;
        auto& layer = open (e.type, slot.get());

        EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
        EXPECT_EQ (window->getName(), e.title);
        EXPECT_EQ (window->settings, slot.get());
        EXPECT_TRUE (window->isAlwaysOnTop());
        EXPECT_EQ (window->getContentComponent()->getWidth(), 700);
        EXPECT_EQ (window->getContentComponent()->getHeight(), 354);
        EXPECT_TRUE (layer.isInsert);
        EXPECT_EQ (captionXs (layer).size(), e.visibleCaptions);
        EXPECT_EQ (layer.eqDisplay != nullptr, e.type == 5);
        EXPECT_TRUE (layer.background.isValid());
        EXPECT_EQ (layer.background.getWidth(), 1920);

        layer.timerCallback();
        RackUiTest::saveScreenshot (*window->getContentComponent(), shots[e.type]);
    }
}

TEST_F (EffectWindowFixture, RowsSpaceTheirControlsByHowManyShow)
{
    auto reverb = makeSlot (1);
    EXPECT_EQ (captionXs (open (1, reverb.get())), juce::Array<int> ({101, 236, 371, 506})); // 4 at 135
    EXPECT_EQ (captionXs (open (1, nullptr)), juce::Array<int> ({73, 188, 303, 418, 533})); // 5 at 115

    auto echo = makeSlot (2);
    auto& insertEcho = open (2, echo.get());
    EXPECT_EQ (captionXs (insertEcho), juce::Array<int> ({73, 188, 303, 418, 533}));
    EXPECT_FALSE (insertEcho.knobs[3].isVisible()); // an insert's echo has no pan
    // The TIME knob (third caption) carries the sync button beneath it.
    EXPECT_EQ (insertEcho.echoSyncButton.getBounds(), juce::Rectangle<int> (316, 260, 74, 20));

    auto& auxEcho = open (2, nullptr);
    EXPECT_EQ (captionXs (auxEcho), juce::Array<int> ({66, 161, 256, 351, 446, 541})); // 6 at 95
    EXPECT_TRUE (auxEcho.knobs[3].isVisible());
}

TEST_F (EffectWindowFixture, KnobsShowTheirValueTexts)
{
    struct Case
    {
        double value;
        const char* pan;
        const char* signedDb;
    };
    const Case cases[] = {{0.005, "C", "+0.0 dB"}, {-0.25, "L 25", "-0.2 dB"}, {1.0, "R 100", "+1.0 dB"},
                          {6.0, "R 600", "+6.0 dB"}, {0.0, "C", "0.0 dB"}, {-6.0, "L 600", "-6.0 dB"}};

    auto& aux = open (1, nullptr);
    auto& pan = aux.knobs[3];
    auto lineAmp = makeSlot (4);
    auto& gainLayer = open (4, lineAmp.get());
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.value);
        EXPECT_EQ (Layer::panText (c.value), c.pan);
        EXPECT_EQ (gainLayer.knobs[0].getTextFromValue (c.value), c.signedDb);
    }
    (void)pan;
    EXPECT_EQ (Layer::percentText (0.506), "51 %");

    // The echo's time follows its sync switch; the knob's own text shows it.
    auto echo = makeSlot (2);
    auto& echoLayer = open (2, echo.get());
    auto& time = echoLayer.knobs[0];
    EXPECT_EQ (time.getTextFromValue (300.0), "300 ms");
    echoLayer.echoSyncButton.setToggleState (true, juce::sendNotificationSync);
    EXPECT_TRUE (echo->echoSync);
    echoLayer.timerCallback();
    EXPECT_EQ (time.getTextFromValue (50.0), "1/2");
    EXPECT_EQ (time.getTextFromValue (525.0), "1/4");
    EXPECT_EQ (time.getTextFromValue (1000.0), "1/16");
    time.setValue (525.0, juce::sendNotificationSync);
    EXPECT_EQ (time.getTextFromValue (time.getValue()), "1/4");
}

TEST_F (EffectWindowFixture, AuxReturnControlsAreBoundToTheProcessorParameters)
{
    auto& reverb = open (1, nullptr);
    EXPECT_FALSE (reverb.isInsert);
    EXPECT_EQ (reverb.knobs[3].getComponentID(), EffectEditorIds::INT_REV_PAN);
    EXPECT_EQ (reverb.knobs[3].getTextFromValue (-0.25), "L 25");

    reverb.knobs[0].setValue (0.25, juce::sendNotificationSync);
    EXPECT_NEAR (processor.parameters.getRawParameterValue (EffectEditorIds::INT_REV_DECAY)->load(), 0.25f, 1.0e-4f);
    reverb.choiceBox.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_NEAR (processor.parameters.getRawParameterValue (EffectEditorIds::INT_REV_TYPE)->load(), 2.0f, 1.0e-4f);

    auto& echo = open (2, nullptr);
    auto* sync = processor.parameters.getParameter (EffectEditorIds::INT_ECHO_SYNC);
    sync->setValueNotifyingHost (1.0f);
    RackUiTest::pump();
    echo.timerCallback();
    EXPECT_TRUE (echo.echoSyncButton.getToggleState());
    EXPECT_EQ (echo.knobs[0].getTextFromValue (1000.0), "1/16");
    // Double-click returns the time knob to the parameter's default.
    EXPECT_NEAR (echo.knobs[0].getDoubleClickReturnValue(), 300.0, 0.01);
}

TEST_F (EffectWindowFixture, EditsWriteTheSlotAndMarkTheReelChanged)
{
    auto fet = makeSlot (7);
    auto& layer = open (7, fet.get());
    processor.unsavedChanges = false;
    layer.knobs[2].setValue (0.5, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (fet->fetAttack, 0.5f);
    EXPECT_TRUE (processor.unsavedChanges.load());
    layer.choiceBox.setSelectedId (5, juce::sendNotificationSync);
    EXPECT_EQ (fet->fetRatio, 4);
    EXPECT_EQ (layer.knobs[2].getTextFromValue (0.5), "0.50 ms");
    EXPECT_EQ (layer.knobs[3].getTextFromValue (512.4), "512 ms");

    auto mfx = makeSlot (6);
    auto& multi = open (6, mfx.get());
    processor.unsavedChanges = false;
    multi.typeButtons[4].triggerClick();
    RackUiTest::pumpUntil ([&mfx] { return mfx->mfxType == 4; });
    EXPECT_TRUE (processor.unsavedChanges.load());
    multi.timerCallback();
    EXPECT_EQ (multi.labels[0]->getText(), "DRIVE");
    EXPECT_EQ (multi.labels[1]->getText(), "MIX");
    EXPECT_FALSE (multi.mfxSyncButton.isEnabled());
    EXPECT_EQ (multi.knobs[1].getTextFromValue (0.25), "25 %");

    mfx->mfxType = 3;
    mfx->mfxSync = true;
    multi.timerCallback();
    EXPECT_EQ (multi.labels[0]->getText(), "VARIANCE");
    EXPECT_EQ (multi.labels[1]->getText(), "WIDTH");
    EXPECT_TRUE (multi.mfxSyncButton.isEnabled());
    EXPECT_EQ (multi.knobs[1].getTextFromValue (0.5), "1/4");
    mfx->mfxSync = false;
    multi.timerCallback();
    EXPECT_EQ (multi.knobs[1].getTextFromValue (1.0), "15.0 Hz");
}

TEST_F (EffectWindowFixture, MeterNeedleRestsOnZeroAndStopsAtItsEnd)
{
    EXPECT_FLOAT_EQ (Layer::needleAngle (0.0f), 0.4f);
    EXPECT_NEAR (Layer::needleAngle (20.0f), -0.65f, 1.0e-5f);
    EXPECT_FLOAT_EQ (Layer::needleAngle (1000.0f), -0.75f);
    EXPECT_FLOAT_EQ (Layer::needleAngle (-100.0f), 0.65f);

    auto opto = makeSlot (3);
    auto& layer = open (3, opto.get());
    opto->optoEngine->meterReductionDb = 10.0f;
    for (int i = 0; i < 40; ++i)
        layer.timerCallback();
    EXPECT_NEAR (layer.meterLevel, 10.0f, 0.01f);

    // Without an engine yet the meter reads no reduction.
    opto->optoEngine.reset();
    for (int i = 0; i < 40; ++i)
        layer.timerCallback();
    EXPECT_NEAR (layer.meterLevel, 0.0f, 0.01f);
}

TEST_F (EffectWindowFixture, EscapeClosesAndResizingKeepsTheProportion)
{
    auto amp = makeSlot (4);
    open (4, amp.get());
    EXPECT_FALSE (window->keyPressed (juce::KeyPress ('q')));
    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::altModifier, 0)));

    window->setBoundsConstrained (window->getBounds().withSize (1200, 300));
    const double ratio = (double)window->getWidth() / window->getHeight();
    EXPECT_NEAR (ratio, 1920.0 / 971.0, 0.02);
    EXPECT_GE (window->getWidth(), 500);

    // The scaled layer stays centred, with bars at the sides.
    auto* editor = window->getEditor();
    editor->setSize (1000, 354);
    const auto layerArea = editor->getLocalArea (&editor->content, editor->content.getLocalBounds());
    EXPECT_EQ (layerArea, juce::Rectangle<int> (150, 0, 700, 354));

    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (window.getComponent(), nullptr);
}
