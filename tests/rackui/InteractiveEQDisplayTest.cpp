#include "effects/EqBandFilter.h"
#include "effects/EqualizerEngine.h"
#include "rack/InteractiveEQDisplay.h"
#include "tests/rackui/RackUiTestSupport.h"

#include <gtest/gtest.h>

namespace
{
/** A 600 x 300 display on an equaliser slot with its engine. */
struct EqFixture : public ::testing::Test
{
    EqFixture()
    {
        slot->builtInType = 5;
        slot->createEngine (48000.0);
        display.setBounds (0, 0, 600, 300);
        display.onChange = [this] { ++changes; };
    }

    void press (juce::Point<float> p) { display.mouseDown (RackUiTest::mouseEventAt (display, p)); }
    void drag (juce::Point<float> p) { display.mouseDrag (RackUiTest::mouseEventAt (display, p, {}, true)); }
    void wheel (juce::Point<float> p, float deltaY)
    {
        juce::MouseWheelDetails details{};
        details.deltaY = deltaY;
        display.mouseWheelMove (RackUiTest::mouseEventAt (display, p), details);
    }

    std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin> slot = makeInsertPlugin();
    InteractiveEQDisplay display{slot.get()};
    int changes = 0;
};
} // namespace

TEST_F (EqFixture, DragsMoveTheBandAndClampAtTheEdges)
{
    const auto handle = display.handlePosition (2); // 1 kHz, 0 dB
    EXPECT_NEAR (handle.x, 600.0f * std::log10 (50.0f) / 3.0f, 0.01f);
    EXPECT_FLOAT_EQ (handle.y, 150.0f);

    press (handle);
    ASSERT_EQ (display.selectedBand, 2);

    struct Case
    {
        juce::Point<float> to;
        float freq, gain;
    };
    const Case cases[] = {
        {{300.0f, 75.0f}, 20.0f * std::pow (10.0f, 1.5f), 9.0f},
        {{-50.0f, -40.0f}, 20.0f, 18.0f},   // past the top-left corner
        {{700.0f, 400.0f}, 20000.0f, -18.0f}, // past the bottom-right corner
    };
    for (const auto& c : cases)
    {
        drag (c.to);
        EXPECT_NEAR (slot->eqFreq[2], c.freq, c.freq * 1.0e-4f);
        EXPECT_NEAR (slot->eqGain[2], c.gain, 1.0e-4f);
        // The engine has the band at once, not on the next block.
        EXPECT_FLOAT_EQ (slot->eqEngine->freq[2], slot->eqFreq[2]);
        EXPECT_FLOAT_EQ (slot->eqEngine->gainDb[2], slot->eqGain[2]);
    }
    EXPECT_EQ (changes, 3); // each drag marks the reel as changed

    display.mouseUp (RackUiTest::mouseEventAt (display, {}));
    EXPECT_EQ (display.selectedBand, -1);
}

TEST_F (EqFixture, PickingPrefersTheLowerBandAndIgnoresFarPresses)
{
    slot->eqFreq[3] = slot->eqFreq[1];
    slot->eqGain[3] = slot->eqGain[1];
    press (display.handlePosition (1) + juce::Point<float> (3.0f, 0.0f));
    EXPECT_EQ (display.selectedBand, 1);

    // Farther than 20 pixels from every handle: nothing is selected and a drag changes nothing.
    press ({display.handlePosition (0).x, 20.0f});
    EXPECT_EQ (display.selectedBand, -1);
    drag ({100.0f, 100.0f});
    EXPECT_EQ (changes, 0);
    EXPECT_FLOAT_EQ (slot->eqFreq[0], 60.0f);
}

TEST_F (EqFixture, WheelChangesOnlyTheQWithinItsRange)
{
    const auto handle = display.handlePosition (4);
    wheel (handle, -0.5f);
    EXPECT_NEAR (slot->eqQ[4], 3.2f, 1.0e-5f);
    wheel (handle, -10.0f);
    EXPECT_FLOAT_EQ (slot->eqQ[4], 10.0f);
    wheel (handle, 10.0f);
    EXPECT_FLOAT_EQ (slot->eqQ[4], 0.1f);
    EXPECT_FLOAT_EQ (slot->eqEngine->q[4], 0.1f);
    EXPECT_FLOAT_EQ (slot->eqFreq[4], 12000.0f);
    EXPECT_FLOAT_EQ (slot->eqGain[4], 0.0f);

    wheel ({5.0f, 5.0f}, 1.0f); // away from every handle
    EXPECT_EQ (changes, 3);
}

TEST_F (EqFixture, EndBandsStayShelvesWhateverIsDragged)
{
    for (int band : {0, 4})
    {
        press (display.handlePosition (band));
        drag ({300.0f, 50.0f});
    }
    EXPECT_EQ (slot->eqEngine->type[0], EqBandFilter::LowShelf);
    EXPECT_EQ (slot->eqEngine->type[4], EqBandFilter::HighShelf);
    EXPECT_EQ (slot->eqEngine->type[2], EqBandFilter::Peak);
}

TEST_F (EqFixture, WithoutASlotTheDisplayOnlyDrawsItsGrid)
{
    InteractiveEQDisplay empty (nullptr);
    empty.setBounds (0, 0, 300, 150);
    empty.mouseDown (RackUiTest::mouseEventAt (empty, {150.0f, 75.0f}));
    EXPECT_EQ (empty.selectedBand, -1);
    empty.mouseDrag (RackUiTest::mouseEventAt (empty, {10.0f, 10.0f}, {}, true));
    const auto image = empty.createComponentSnapshot (empty.getLocalBounds());
    EXPECT_TRUE (image.isValid());

    // A slot opened before any block ran still draws its own bands: the curve follows the
    // handles, not the engine's defaults.
    slot->eqGain[2] = 12.0f;
    InteractiveEQDisplay boosted (slot.get());
    EXPECT_FLOAT_EQ (slot->eqEngine->gainDb[2], 12.0f);
    press (display.handlePosition (2));
    const auto drawn = display.createComponentSnapshot (display.getLocalBounds());
    const int x = (int)display.handlePosition (2).x;
    EXPECT_GT (drawn.getPixelAt (x, (int)display.handlePosition (2).y).getBrightness(), 0.8f) << "selected handle dot is white";
    RackUiTest::saveScreenshot (display, "equalizer_display.png");
}
