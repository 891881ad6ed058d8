#include "tests/rackwin/RackWinTestSupport.h"

#include "rack/MasterInsertWindow.h"
#include "rack/StudioRackComponent.h"

namespace
{
/** The rack on the console's dark panel, as the console shows it. */
struct RackOnPanel : public juce::Component
{
    explicit RackOnPanel (TavrelDelayAudioProcessor& p) : rack (p)
    {
        addAndMakeVisible (rack);
        setSize (188, 330);
    }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colour (0xff181818)); }
    void resized() override { rack.setBounds (getLocalBounds()); }

    StudioRackComponent rack;
};
} // namespace

using RackScreens = RackWinTest;

TEST_F (RackScreens, RackAndMasterInsertWindowDraw)
{
    RACKUI_REQUIRE_DISPLAY();
    processor->addBuiltInInstrument (1);
    processor->addBuiltInInstrument (5);
    processor->instruments[1]->midiChannel = 2;
    processor->addBuiltInEffect (3, 0, TavrelDelayAudioProcessor::InputInserts);
    processor->inputInserts[0]->name = "Velmora Opto Comp";
    processor->aux1BuiltIn = 1;
    processor->aux2BuiltIn = 0;

    {
        RackOnPanel panel (*processor);
        const auto image = panel.createComponentSnapshot (panel.getLocalBounds());

        // Faceplates, not flat boxes: a rail at x 20 and a screw head at (10, 10) of the first unit.
        const int top = (int) panel.rack.units[0]->getProperties()["y"];
        EXPECT_EQ (image.getPixelAt (20, top + 17).getBrightness(), 0.0f);
        EXPECT_GT (image.getPixelAt (10, top + 12).getBrightness(), 0.6f);
        RackUiTest::saveScreenshot (panel, "studio-rack.png");
    }

    processor->addBuiltInEffect (5, -1, TavrelDelayAudioProcessor::MasterInserts);
    processor->masterInserts[0]->name = "Velmora Equalizer";
    processor->addBuiltInEffect (3, -1, TavrelDelayAudioProcessor::MasterInserts);
    processor->masterInserts[1]->name = "Velmora Opto Comp";
    processor->masterInserts[1]->bypass = true;

    auto* window = new MasterInsertWindow (*processor);
    RackUiTest::pump (100);
    RackUiTest::saveScreenshot (*window, "master-insert-window.png");
    delete window;
}
