#include "tests/instrumentui/SynthEditorFixture.h"
#include "ui/instruments/BuiltInInstrumentEditor.h"
#include "ui/instruments/BuiltInPolySynthEditor.h"

#include <gtest/gtest.h>

namespace
{
/** Draws the editor of the slot's type at its design size in both looks, with and without the
    keyboard strip, into DRAVIN8_SCREENSHOT_DIR (when set); checks every picture has content. */
template <typename Editor> void drawScreens (int type, const juce::String& name)
{
    TavrelDelayAudioProcessor processor;
    auto slot = makeInstrumentPlugin();
    slot->builtInType = type;
    slot->createEngine (48000.0);
    processor.instruments.push_back (slot);
    ModernLookAndFeel modern;

    for (const bool withKeyboard : {false, true})
    {
        InstrumentUiState::keyboardShown = withKeyboard;

        for (const bool minimal : {false, true})
        {
            std::unique_ptr<LookTest::ScopedDefaultLook> look;
            if (minimal)
                look = std::make_unique<LookTest::ScopedDefaultLook> (modern);

            Editor editor (processor, slot.get());
            const auto image = LookTest::snapshot (editor);
            EXPECT_EQ (image.getHeight(), withKeyboard ? 875 : 555);

            // The first section's panel is drawn.
            const auto centre = editor.sectionAreas[0].getCentre();
            EXPECT_GT (image.getPixelAt (centre.x, centre.y).getAlpha(), 0) << name;

            RackUiTest::saveScreenshot (editor, name + (withKeyboard ? "-keyboard" : "") +
                                                    (minimal ? "-modern" : "-vintage") + ".png");
        }
    }

    InstrumentUiState::keyboardShown = false;
}
} // namespace

TEST (SynthEditorScreens, SynthScreensDraw)
{
    drawScreens<BuiltInInstrumentEditor> (1, "mono-synth");
    drawScreens<BuiltInPolySynthEditor> (3, "poly-synth");
}
