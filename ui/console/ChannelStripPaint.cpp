// What a channel strip shows by itself: its 41 ms refresh (meter ballistics, record blinking,
// monitor, automation and insert indicators, the masking tape) and its drawing.

#include "ui/console/ChannelStripComponent.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/console/ConsoleIds.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/looks/LookDrawing.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <cmath>

namespace
{
const juce::Colour insertFill (0xff849c82);
const juce::Colour insertFillOn (0xff6e826c);
const juce::Colour keyFill (0xffd0c0b0);
const juce::Colour keyFillOn (0xffb0a090);

/** Record lamps blink 300 ms on, 300 ms off. */
bool inBlinkPhase (juce::uint32 milliseconds)
{
    return (milliseconds / 300) % 2 == 1;
}

float levelToDb (float level)
{
    return level > 0.0f ? juce::jmax (-100.0f, 20.0f * std::log10 (level)) : -100.0f;
}
} // namespace

//==============================================================================
juce::String ChannelStripComponent::lowCpuReadout (float level)
{
    const float db = juce::jmax (-60.0f, levelToDb (level));
    return db <= -59.9f ? juce::String ("-inf") : juce::String (db, 1);
}

void ChannelStripComponent::automationFaceFor (int mode, juce::String& text, juce::Colour& colour)
{
    switch (mode)
    {
        case TavrelDelayAudioProcessor::automationRead: text = "READ"; colour = juce::Colour (0xff008000); return;
        case TavrelDelayAudioProcessor::automationTouch: text = "TCH"; colour = juce::Colour (0xffff8c00); return;
        case TavrelDelayAudioProcessor::automationLatch: text = "LTCH"; colour = juce::Colour (0xffb8860b); return;
        case TavrelDelayAudioProcessor::automationWrite: text = "WRT"; colour = juce::Colour (0xffff0000); return;
        default: text = "OFF"; colour = juce::Colour (0xff808080); return;
    }
}

juce::Colour ChannelStripComponent::groupColour (int group)
{
    // Group 6 is group 2's cyan brightened by the factor 1.4.
    static const juce::uint32 colours[] = {0xffff0000, 0xff00ffff, 0xff00ff00, 0xffffff00,
                                           0xff9b59b6, 0xff48ffff, 0xffffa500, 0xffff69b4};
    return group >= 1 && group <= 8 ? juce::Colour (colours[group - 1]) : juce::Colours::white;
}

void ChannelStripComponent::updateAutomationIndicator()
{
    const int mode = trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels
                         ? processor.automationModes[(size_t) trackIndex].load()
                         : 0;
    juce::String text;
    juce::Colour colour;
    automationFaceFor (mode, text, colour);

    if (autoButton.getButtonText() != text)
        autoButton.setButtonText (text);
    autoButton.setColour (juce::TextButton::textColourOffId, colour);
    autoButton.setColour (juce::TextButton::textColourOnId, colour);
    autoButton.setToggleState (mode >= 1 && mode <= 4, juce::dontSendNotification);
}

//==============================================================================
bool ChannelStripComponent::isDarkTheme() const
{
    if (auto* editor = findParentComponentOfClass<TavrelDelayAudioProcessorEditor>())
        return editor->modernLook.isDark();
    return false;
}

bool ChannelStripComponent::isLowCpuMode() const
{
    const auto* lightGui = processor.parameters.getRawParameterValue (ParameterIds::LIGHT_GUI);
    return lightGui != nullptr && lightGui->load() > 0.5f;
}

void ChannelStripComponent::updateInsertButton()
{
    bool hasInserts = false;
    for (const auto& slot : processor.trackInserts)
        if (slot != nullptr && slot->targetTrack == trackIndex && (slot->instance != nullptr || slot->builtInType != 0))
            hasInserts = true;

    const auto fill = hasInserts ? insertFill : keyFill;
    if (insertButton.findColour (juce::TextButton::buttonColourId) == fill)
        return;

    insertButton.setColour (juce::TextButton::buttonColourId, fill);
    insertButton.setColour (juce::TextButton::buttonOnColourId, hasInserts ? insertFillOn : keyFillOn);
    const auto text = hasInserts ? juce::Colours::white : juce::Colours::black;
    insertButton.setColour (juce::TextButton::textColourOffId, text);
    insertButton.setColour (juce::TextButton::textColourOnId, text);
}

void ChannelStripComponent::timerCallback()
{
    updateAutomationIndicator();

    const auto* modern = ModernLookAndFeel::getDefault();
    if (modern == nullptr)
    {
        nameLabel.setColour (juce::Label::textWhenEditingColourId, juce::Colour (0xff0a0a18));
        nameLabel.setColour (juce::Label::backgroundWhenEditingColourId, juce::Colours::transparentBlack);
        nameLabel.setColour (juce::Label::outlineWhenEditingColourId, juce::Colours::transparentBlack);
    }
    else
    {
        const bool dark = modern->isDark();
        nameLabel.setColour (juce::Label::textWhenEditingColourId, juce::Colour (modern->cDark));
        nameLabel.setColour (juce::Label::backgroundWhenEditingColourId, juce::Colour (dark ? 0xff1a1a1a : 0xffffffff));
        nameLabel.setColour (juce::Label::outlineWhenEditingColourId, juce::Colour (dark ? 0xff444444 : 0xffbdc3c7));
    }

    updateInsertButton();

    // Saves, loads, slot changes and track swaps rebuild the tracks meanwhile.
    if (processor.isSuspended())
        return;

    if (auto* editor = findParentComponentOfClass<TavrelDelayAudioProcessorEditor>())
    {
        if (nameLabel.isVisible() != editor->maskingTapeVisible)
            nameLabel.setVisible (editor->maskingTapeVisible);
        if (modern != nullptr && nameLabel.isVisible() && ! nameLabel.getTransform().isIdentity())
            nameLabel.setTransform ({});
    }

    const float level = trackExists() ? processor.tracks[(size_t) trackIndex].meterLevel : 0.0f;

    if (isLowCpuMode())
    {
        // One readout a fourth tick, and a repaint only when its text changes.
        if (++lowCpuTickCounter < 4)
            return;
        lowCpuTickCounter = 0;

        const auto text = lowCpuReadout (level);
        if (text != getProperties()[ConsoleIds::lastDb].toString())
        {
            meterLevel = level;
            getProperties().set (ConsoleIds::lastDb, text);
            repaint (getMeterArea());
        }
        return;
    }

    // Needle ballistics: up at once, down by 0.85 a tick.
    meterLevel = level > meterLevel ? level : meterLevel * 0.85f;

    updateMonitorButton();
    refreshArmButton();

    const bool armed = armButton.getToggleState();
    const bool recording = processor.transportState.load() == TavrelDelayAudioProcessor::transportRecord;
    const juce::Colour base (modern != nullptr ? 0xffe74c3c : 0xffff0000);
    const juce::Colour blink (modern != nullptr ? 0xff902f25 : 0xff550000);
    const auto lamp = armed && ! recording && inBlinkPhase (getMillisecondCounter()) ? blink : base;
    armButton.setColour (juce::TextButton::textColourOnId, lamp);
    armButton.setColour (juce::TextButton::buttonOnColourId, lamp);

    repaint (getMeterArea());
}

//==============================================================================
void ChannelStripComponent::paint (juce::Graphics& g)
{
    if (isMinimalLook())
        paintMinimalMeter (g);
    else
    {
        paintChassis (g);
        if (isLowCpuMode())
            paintLowCpuReadout (g);
        else
            paintNeedleMeter (g);
    }

    paintKnobLabel (g, trimKnob, "TRIM");
    paintKnobLabel (g, eqHighKnob, "HIGH");
    paintKnobLabel (g, eqMidFreqKnob, "FREQ");
    paintKnobLabel (g, eqMidGainKnob, "MID");
    paintKnobLabel (g, eqLowKnob, "LOW");
    paintKnobLabel (g, aux1Knob, "AUX 1");
    paintKnobLabel (g, aux2Knob, "AUX 2");
    paintKnobLabel (g, panKnob, "PAN");

    if (! isMinimalLook())
        paintRecordLed (g);

    paintUnityMark (g);
    paintGroupDot (g);
}

void ChannelStripComponent::paintMinimalMeter (juce::Graphics& g)
{
    const auto w = (float) getWidth(), h = (float) getHeight();
    const bool dark = isDarkTheme();
    auto* editor = findParentComponentOfClass<TavrelDelayAudioProcessorEditor>();

    g.setColour (juce::Colour (editor != nullptr ? editor->modernLook.cStrip : 0xffebf0f3));
    g.fillRoundedRectangle (2.0f, 0.0f, w - 4.0f, h - 40.0f, 8.0f);

    g.setColour (juce::Colour (dark ? 0xff151515 : 0xffdfe6e9));
    g.fillRoundedRectangle (4.0f, 4.0f, w - 8.0f, 46.0f, 4.0f);

    const float bar = juce::jmin (1.2f, meterLevel) / 1.2f * 46.0f;
    g.setColour (juce::Colour (meterLevel > 1.0f ? 0xffe74c3c : 0xff1abc9c));
    g.fillRoundedRectangle (4.0f, 50.0f - bar, w - 8.0f, bar, 4.0f);

    g.setColour (dark ? juce::Colours::white.withAlpha (0.85f) : juce::Colour (0xff555555));
    g.setFont (LookFonts::font ("sans-serif", 14.0f, juce::Font::bold));
    g.drawText (juce::String (trackNumber), 8, 6, getWidth() - 16, 42, juce::Justification::topRight);
}

void ChannelStripComponent::paintChassis (juce::Graphics& g)
{
    // A module of a console frame: dark enamel with bevelled edges, sections ruled apart, a
    // fader slot with its scale.
    const auto r = getLocalBounds().toFloat();
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff3c3c3f), r.getX(), 0.0f, juce::Colour (0xff242426),
                                             r.getRight(), 0.0f, false));
    g.fillRoundedRectangle (r, 3.0f);
    g.setColour (juce::Colours::white.withAlpha (0.08f));
    g.drawLine (r.getX() + 1.5f, 3.0f, r.getX() + 1.5f, r.getBottom() - 3.0f, 1.0f);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.drawRoundedRectangle (r.reduced (0.5f), 3.0f, 1.0f);

    // Rules between the input, equaliser, send and button sections.
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    for (auto* knob : {&eqHighKnob, &aux1Knob, &panKnob})
        g.fillRect (4.0f, (float) knob->getY() - 6.0f, r.getWidth() - 8.0f, 1.0f);
    g.fillRect (4.0f, (float) printEqButton.getY() - 4.0f, r.getWidth() - 8.0f, 1.0f);
    g.setColour (juce::Colours::white.withAlpha (0.06f));
    for (auto* knob : {&eqHighKnob, &aux1Knob, &panKnob})
        g.fillRect (4.0f, (float) knob->getY() - 5.0f, r.getWidth() - 8.0f, 1.0f);

    // A strip of masking tape under the hand-lettered name, stuck on as crooked as the label.
    if (nameLabel.isVisible())
    {
        const juce::Graphics::ScopedSaveState tilted (g);
        g.addTransform (nameLabel.getTransform());
        const auto tape = nameLabel.getBounds().toFloat().reduced (1.0f, 5.0f);
        juce::Path strip;
        strip.startNewSubPath (tape.getX(), tape.getY());
        strip.lineTo (tape.getRight(), tape.getY() + 1.0f);
        // Torn ends: a few teeth down each side.
        for (int i = 1; i <= 4; ++i)
            strip.lineTo (tape.getRight() - (i % 2 == 1 ? 2.0f : 0.0f), tape.getY() + tape.getHeight() * (float) i / 4.0f);
        strip.lineTo (tape.getX(), tape.getBottom() - 1.0f);
        for (int i = 3; i >= 1; --i)
            strip.lineTo (tape.getX() + (i % 2 == 1 ? 2.0f : 0.0f), tape.getY() + tape.getHeight() * (float) i / 4.0f);
        strip.closeSubPath();

        g.setColour (juce::Colours::black.withAlpha (0.35f));
        g.fillPath (strip, juce::AffineTransform::translation (1.0f, 2.0f));
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xffefe3bd), 0.0f, tape.getY(), juce::Colour (0xffd8c89a),
                                                 0.0f, tape.getBottom(), false));
        g.fillPath (strip);
        g.setColour (juce::Colour (0xffb8a878).withAlpha (0.6f));
        g.strokePath (strip, juce::PathStrokeType (0.8f));
    }

    // The meter's bezel and face.
    g.setColour (juce::Colour (0xff0d0d0d));
    g.fillRoundedRectangle (3.0f, 3.0f, r.getWidth() - 6.0f, 48.0f, 3.0f);
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xfff6efd2), 0.0f, 5.0f, juce::Colour (0xffd9cda4), 0.0f,
                                             49.0f, false));
    g.fillRect (5.0f, 5.0f, r.getWidth() - 10.0f, 44.0f);
    g.setColour (juce::Colour (0xff3a3020).withAlpha (0.55f));
    g.setFont (LookFonts::font ("sans-serif", 8.0f, juce::Font::bold));
    g.drawText ("VU", 5, 36, getWidth() - 10, 10, juce::Justification::centred);

    // Fader slot and scale.
    const auto fader = volumeFader.getBounds().toFloat();
    if (fader.getHeight() > 20.0f)
    {
        const float top = fader.getY() + 8.0f, bottom = fader.getBottom() - 8.0f;
        g.setColour (juce::Colour (0xff080808));
        g.fillRoundedRectangle (fader.getCentreX() - 3.0f, top, 6.0f, bottom - top, 3.0f);
        g.setColour (juce::Colours::white.withAlpha (0.1f));
        g.drawRoundedRectangle (fader.getCentreX() - 3.0f, top, 6.0f, bottom - top, 3.0f, 1.0f);

        g.setColour (juce::Colours::white.withAlpha (0.35f));
        for (int i = 0; i <= 10; ++i)
        {
            const float y = top + (bottom - top) * (float) i / 10.0f;
            const float length = i % 5 == 0 ? 7.0f : 4.0f;
            g.fillRect (fader.getRight() - 12.0f, y, length, 1.0f);
        }
    }
}

void ChannelStripComponent::paintLowCpuReadout (juce::Graphics& g)
{
    g.setColour (juce::Colour (0xffe6e1c5));
    g.fillRect (5, 5, getWidth() - 10, 44);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawRect (4, 4, getWidth() - 8, 46, 1);

    g.setColour (juce::Colours::black);
    g.setFont (LookFonts::font ("Courier New", 15.0f, juce::Font::bold));
    g.drawText (lowCpuReadout (meterLevel), 4, 4, getWidth() - 8, 46, juce::Justification::centred);
}

void ChannelStripComponent::paintNeedleMeter (juce::Graphics& g)
{
    const float cx = (float) (getWidth() / 2), pivotY = 74.0f;

    for (int i = 0; i <= 10; ++i)
    {
        const float a = (float) i / 10.0f * 1.2f - 0.6f;
        g.setColour ((i >= 7 ? juce::Colour (0xffff0000) : juce::Colours::black).withAlpha (0.8f));
        g.drawLine (cx + 55.0f * std::sin (a), pivotY - 55.0f * std::cos (a), cx + 60.0f * std::sin (a),
                    pivotY - 60.0f * std::cos (a), i == 7 ? 2.0f : 1.0f);
    }

    {
        const juce::Graphics::ScopedSaveState clip (g);
        g.reduceClipRegion (5, 5, getWidth() - 10, 44);

        const float a = juce::jmin (1.4f, meterLevel) * 1.2f / 1.4f - 0.6f;
        const juce::Point<float> tip (cx + 65.0f * std::sin (a), pivotY - 65.0f * std::cos (a));
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.drawLine (cx + 2.0f, pivotY + 2.0f, tip.x + 2.0f, tip.y + 2.0f, 2.0f);
        g.setColour (juce::Colour (0xffcc3300));
        g.drawLine (cx, pivotY, tip.x, tip.y, 1.5f);
    }

    const float x = (float) (getWidth() - 14);
    g.setColour (juce::Colour (0xff220000));
    g.fillEllipse (x, 9.0f, 5.0f, 5.0f);
    if (meterLevel > 1.0f)
    {
        g.setColour (juce::Colours::red.withAlpha (0.6f));
        g.fillEllipse (x - 3.0f, 6.0f, 11.0f, 11.0f);
        g.setColour (juce::Colours::red);
        g.fillEllipse (x, 9.0f, 5.0f, 5.0f);
        g.setColour (juce::Colours::white);
        g.fillEllipse (x + 1.0f, 10.0f, 3.0f, 3.0f);
    }

    g.setColour (juce::Colour (0xff555555));
    g.setFont (LookFonts::font ("Arial", 14.0f, juce::Font::bold));
    g.drawText (juce::String (trackNumber), 8, 6, getWidth() - 16, 42, juce::Justification::bottomRight);
}

void ChannelStripComponent::paintKnobLabel (juce::Graphics& g, const juce::Slider& knob, const juce::String& caption)
{
    const bool minimal = isMinimalLook();
    g.setFont (LookFonts::font ("sans-serif", minimal ? 11.0f : 10.0f, juce::Font::bold));

    const int y = knob.getBottom() - (minimal ? 1 : 3);
    const int x = knob.getX() - 10, width = knob.getWidth() + 20;
    const auto c = findColour (juce::Label::textColourId);

    if (! minimal && LookDrawing::lightness (c) > 0.5f)
    {
        g.setColour (juce::Colours::black.withAlpha (0.9f));
        g.drawText (caption, x, y + 1, width, 12, juce::Justification::centred, true);
    }

    g.setColour (minimal ? juce::Colour (0xff7f8c8d) : c);
    g.drawText (caption, x, y, width, minimal ? 16 : 12, juce::Justification::centred, true);
}

void ChannelStripComponent::paintRecordLed (juce::Graphics& g)
{
    const auto arm = armButton.getBounds();
    const int x = arm.getX() + arm.getWidth() / 2 - 4, y = arm.getY() - 12;
    const bool armed = armButton.getToggleState();
    const bool recording = processor.transportState.load() == TavrelDelayAudioProcessor::transportRecord;

    juce::Colour led (0xff330000);
    if (armed)
        led = recording ? juce::Colour (0xffff0000)
                        : juce::Colour (inBlinkPhase (getMillisecondCounter()) ? 0xff550000 : 0xffff2222);

    g.setColour (juce::Colours::black);
    g.fillEllipse ((float) x - 1.0f, (float) y - 1.0f, 10.0f, 10.0f);
    g.setColour (led);
    g.fillEllipse ((float) x, (float) y, 8.0f, 8.0f);
    g.setColour (juce::Colours::white.withAlpha (0.4f));
    g.fillEllipse ((float) x + 2.0f, (float) y + 2.0f, 2.0f, 2.0f);
}

void ChannelStripComponent::paintUnityMark (juce::Graphics& g)
{
    const auto fader = volumeFader.getBounds();
    const double p = volumeFader.getMaximum() > volumeFader.getMinimum() ? volumeFader.valueToProportionOfLength (1.0)
                                                                          : 0.5;
    const float r = (float) volumeFader.getLookAndFeel().getSliderThumbRadius (volumeFader);
    const float h = (float) fader.getHeight();
    const float y0 = (float) fader.getY() + h - r - (h - 2.0f * r) * (float) p;

    const auto colour = isMinimalLook() ? juce::Colour (0xff555555) : juce::Colour (0xffd3d3d3).withAlpha (0.8f);
    g.setColour (colour);
    g.drawLine ((float) fader.getX() + 4.0f, y0, (float) fader.getX() + 14.0f, y0, 1.5f);
    g.setFont (LookFonts::font ("sans-serif", 10.0f, juce::Font::bold));
    g.drawText ("0", fader.getX() - 10, (int) (y0 - 5.0f), 12, 10, juce::Justification::centredRight);
}

void ChannelStripComponent::paintGroupDot (juce::Graphics& g)
{
    if (trackIndex < 0 || trackIndex >= TavrelDelayAudioProcessor::numChannels)
        return;

    const int group = processor.channelGroups[(size_t) trackIndex].load();
    if (group < 1)
        return;

    const auto colour = groupColour (group);
    const auto fader = volumeFader.getBounds().toFloat();
    const float cx = fader.getCentreX(), bottom = fader.getBottom();
    g.setColour (colour);
    g.fillEllipse (cx - 3.0f, bottom - 10.0f, 6.0f, 6.0f);
    g.setColour (colour.withAlpha (0.3f));
    g.fillEllipse (cx - 6.0f, bottom - 13.0f, 12.0f, 12.0f);
}
