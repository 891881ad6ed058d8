#include "DeckTestSupport.h"

#include "engine/tape/TapeDefectCell.h"

#include <cmath>
#include <functional>

using DeckTest::DeckFixture;

namespace
{
juce::File screenshotFolder (const juce::File& fallback)
{
    const auto wanted = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {});
    return wanted.isNotEmpty() ? juce::File (wanted) : fallback;
}

void writePng (const juce::Image& picture, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
}

/** A deck in use: the tape running a third of the way through, the arm swung out, a waveform,
    painted defects and a loop on the strip, the counter set. */
void dressDeck (DeckFixture& f)
{
    auto& p = *f.processor;
    f.editor->dustCover->putAwayAtOnce();
    f.editor->dustCover->setVisible (false);

    auto& audio = p.tracks.front().audio;
    for (int i = 0; i < audio.getNumSamples(); ++i)
    {
        const double t = i / DeckFixture::rate;
        audio.setSample (0, i, (float) (0.6 * std::sin (t * 2.0 * juce::MathConstants<double>::pi * 1.3)
                                        * std::abs (std::sin (t * 0.7))));
    }

    f.putTapeAt (215.0);
    p.zeroOffset = 10.0;
    p.loopIn = 212.0;
    p.loopOut = 224.0;
    p.loopEnabled = true;
    p.tapeMechanics.armAngle = 0.18;
    p.tapeMechanics.reelPhase = 1.1;
    p.transportState = TavrelDelayAudioProcessor::transportPlay;
    f.setParameter (ParameterIds::SHOW_WAVE, 1.0f);
    auto* time = p.parameters.getParameter (ParameterIds::TIME);
    time->setValueNotifyingHost (time->convertTo0to1 (420.0f));

    p.clearAllTapeDefects();
    p.paintTapeDefect (0.15f, 2, TapeDefectKind::dropout, 0.3f, 0.9f);
    p.paintTapeDefect (0.42f, 5, TapeDefectKind::crinkle, 0.15f, 1.0f);
    p.paintTapeDefect (0.61f, 6, TapeDefectKind::flutter, 0.4f, 1.0f);
    p.paintTapeDefect (0.80f, 1, TapeDefectKind::drag, 0.5f, 0.05f);
    for (int lane = 0; lane < 8; ++lane)
        p.paintTapeDefect (0.9f, lane, TapeDefectKind::splice, 0.01f, 1.0f);

    f.editor->timerCallback();
}
} // namespace

// The deck at work, in both interfaces, and the transport close up at twice the design size.
// scripts/screenshots.sh writes them into docs/screenshots/.
TEST_F (DeckFixture, DeckScreensDraw)
{
    const auto folder = screenshotFolder (temp.getFile());
    ASSERT_TRUE (folder.createDirectory());

    const struct
    {
        const char* name;
        bool minimal, dark;
    } looks[] = {{"deck-running", false, true}, {"deck-running-minimal", true, true}, {"deck-running-minimal-light", true, false}};

    for (const auto& look : looks)
    {
        SCOPED_TRACE (look.name);
        ed().useModernUI = look.minimal;
        ed().modernLook.setDarkMode (look.dark);
        juce::LookAndFeel& lookAndFeel = look.minimal ? static_cast<juce::LookAndFeel&> (ed().modernLook) : ed().customLook;
        ed().setLookAndFeel (&lookAndFeel);
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        ed().setSize (1360, 906);
        ed().resized();
        dressDeck (*this);

        writePng (ed().createComponentSnapshot (ed().getLocalBounds(), true, 1.0f),
                  folder.getChildFile (juce::String (look.name) + ".png"));

        // The machine close up: reels, arms, heads and tape path.
        ed().setSize (1699, 1133);
        const int shift = look.minimal ? 100 : 0;
        writePng (ed().createComponentSnapshot ({870 + shift, 70, 760, 340}, true, 2.0f),
                  folder.getChildFile (juce::String (look.name) + "-closeup.png"));
    }
    processor->transportState = TavrelDelayAudioProcessor::transportStop;
}
