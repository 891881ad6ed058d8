#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

void skipOrFailWithoutDisplay()
{
    if (! displayAvailable())
    {
        if (juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1")
            FAIL() << "window tests need a display (run them under xvfb-run)";
        GTEST_SKIP() << "no display";
    }
}

struct PaintCounter : public juce::Component
{
    void paint (juce::Graphics& g) override
    {
        g.fillAll (juce::Colour (0xff203040));
        g.setColour (juce::Colours::orange);
        g.fillRect (10, 10, 50, 50);
        ++paints;
    }

    int paints = 0;
};
} // namespace

TEST (Window, OpensARealNativeWindowAndPaints)
{
    skipOrFailWithoutDisplay();
    if (::testing::Test::IsSkipped() || ::testing::Test::HasFatalFailure())
        return;

    juce::DocumentWindow window ("Dravin 8 test", juce::Colours::black, 0);
    auto* content = new PaintCounter();
    content->setSize (320, 200);
    window.setContentOwned (content, true);
    window.setUsingNativeTitleBar (true);
    window.setVisible (true);

    auto* peer = window.getPeer();
    ASSERT_NE (peer, nullptr);
    // Without a display the peer exists but has no native window: this is what proves it is real.
    ASSERT_NE (peer->getNativeHandle(), nullptr);

    for (int i = 0; i < 50 && content->paints == 0; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_GT (content->paints, 0);

    const auto snapshot = content->createComponentSnapshot (content->getLocalBounds());
    EXPECT_EQ (snapshot.getPixelAt (30, 30), juce::Colours::orange);
    EXPECT_EQ (snapshot.getPixelAt (200, 150), juce::Colour (0xff203040));
}
