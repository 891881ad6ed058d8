#include "ui/deck/DeckLayout.h"
#include "ui/deck/DeckControls.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/looks/LookDrawing.h"
#include "ui/looks/NoiseTexture.h"

#include <cmath>

namespace
{
/** The machine's moving parts are drawn with the origin here, in design units. */
constexpr int deckOriginX = 102;
constexpr int deckOriginY = 65;

/** The head-block centre: the minimal deck sits 100 units further right. */
float deckCentre (bool minimal)
{
    return minimal ? 1240.0f : 1140.0f;
}

/** Reel angles and the reel phase they follow: one set for the process, so the reels of a
    second editor turn with the first. */
struct ReelMotion
{
    float leftAngle = 0.0f;
    float rightAngle = 0.0f;
    float lastPhase = 0.0f;
    bool phaseTaken = false;
};

ReelMotion& reelMotion()
{
    static ReelMotion motion;
    return motion;
}

/** The grain that shows the tape moving in the skeuomorphic deck, made once. */
const juce::Image& tapeGrain()
{
    static const juce::Image grain = createNoiseTexture (64, 0.15f);
    return grain;
}

float wrapAngle (float angle)
{
    constexpr float twoPi = juce::MathConstants<float>::twoPi;
    if (angle > twoPi)
        angle -= twoPi;
    else if (angle < 0.0f)
        angle += twoPi;
    return angle;
}

float rawParameter (TavrelDelayAudioProcessor& processor, const char* id, float fallback = 0.0f)
{
    auto* value = processor.parameters.getRawParameterValue (id);
    return value != nullptr ? value->load() : fallback;
}

juce::Rectangle<float> circle (float x, float y, float radius)
{
    return {x - radius, y - radius, radius * 2.0f, radius * 2.0f};
}

/** A tape head: mounting plate, screws, head body and face (the skeuomorphic one), or a plain
    block with its gap (the minimal one); a gap mark in markColour when it is not transparent. */
void paintHead (juce::Graphics& g, float x, float y, const juce::String& label, bool minimal, bool dark,
                juce::Colour markColour)
{
    if (minimal)
    {
        g.setColour (juce::Colour (dark ? 0xff444444 : 0xff34495e));
        g.fillRoundedRectangle (x + 6.0f, y - 36.0f, 28.0f, 36.0f, 2.0f);
        g.setColour (markColour.isTransparent() ? (dark ? juce::Colour (0xff808080) : juce::Colours::white) : markColour);
        g.fillRect (x + 19.0f, y - 8.0f, 2.0f, 8.0f);
        g.setColour (juce::Colour (dark ? 0xff888888 : 0xff7f8c8d));
        g.setFont (juce::Font (10.0f, juce::Font::bold));
        g.drawText (label, juce::Rectangle<int> ((int) (x - 10.0f), (int) (y - 52.0f), 60, 12), juce::Justification::centred);
        return;
    }

    g.setColour (juce::Colour (0xffb0b0b0));
    g.fillRoundedRectangle (x, y - 30.0f, 40.0f, 24.0f, 2.0f);
    g.setColour (juce::Colour (0xff555555));
    g.fillEllipse (x + 3.0f, y - 20.0f, 4.0f, 4.0f);
    g.fillEllipse (x + 33.0f, y - 20.0f, 4.0f, 4.0f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff888888), x + 8.0f, y - 36.0f, juce::Colour (0xff666666),
                                             x + 32.0f, y, false));
    g.fillRoundedRectangle (x + 8.0f, y - 36.0f, 24.0f, 36.0f, 1.0f);

    juce::Path face;
    face.startNewSubPath (x + 8.0f, y - 12.0f);
    face.lineTo (x + 8.0f, y - 2.0f);
    face.quadraticTo (x + 20.0f, y + 3.0f, x + 32.0f, y - 2.0f);
    face.lineTo (x + 32.0f, y - 12.0f);
    face.closeSubPath();
    g.setColour (juce::Colour (0xff444444));
    g.fillPath (face);

    if (! markColour.isTransparent())
    {
        g.setColour (markColour);
        g.fillRect (x + 19.0f, y - 10.0f, 2.0f, 10.0f);
    }

    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 230));
    g.setFont (10.0f);
    g.drawText (label, juce::Rectangle<int> ((int) (x - 10.0f), (int) (y - 50.0f), 60, 10), juce::Justification::centred);
}
/** Draws the backdrop behind the tape room: the picture covering the editor, darkened towards
    the corners. */
void drawTapeRoomBackground (juce::Graphics& g, const juce::Image& backdrop, juce::Rectangle<float> area)
{
    if (! backdrop.isValid())
    {
        g.fillAll (juce::Colour (0xff1a1a1a));
        return;
    }

    g.drawImage (backdrop, area, juce::RectanglePlacement::centred | juce::RectanglePlacement::fillDestination);
    g.setGradientFill (juce::ColourGradient (juce::Colours::transparentBlack, area.getCentre(),
                                             juce::Colours::black.withAlpha (0.6f), {}, true));
    g.fillRect (area);
}
} // namespace

void TavrelDelayAudioProcessorEditor::paint (juce::Graphics& g)
{
    // The background is drawn once per size, at the screen's pixel density, and then only copied:
    // the deck repaints many times a second over it.
    const float pixelScale = juce::jmax (0.1f, g.getInternalContext().getPhysicalPixelScaleFactor());
    const int cacheWidth = juce::jmax (1, (int) std::ceil ((float) getWidth() * pixelScale));
    const int cacheHeight = juce::jmax (1, (int) std::ceil ((float) getHeight() * pixelScale));

    if (! backgroundCache.isValid() || backgroundCache.getWidth() != cacheWidth
        || backgroundCache.getHeight() != cacheHeight)
    {
        backgroundCache = juce::Image (juce::Image::ARGB, cacheWidth, cacheHeight, true);
        juce::Graphics cache (backgroundCache);
        cache.addTransform (juce::AffineTransform::scale (pixelScale));
        paintBackground (cache);
    }

    g.drawImage (backgroundCache, getLocalBounds().toFloat());

    if (tapeRoomShowing)
        return;

    const auto fit = DeckLayout::fitInto (getWidth(), getHeight());
    const juce::Graphics::ScopedSaveState state (g);
    g.addTransform (fit.getTransform());
    g.setOrigin (deckOriginX, deckOriginY);

    // The head block never moves: drawn once per size and look at the screen's resolution.
    const float u = deckCentre (useModernUI) - 110.0f;
    const juce::Rectangle<float> headRegion (u - 70.0f, 250.0f, 390.0f, 100.0f);
    const float k = juce::jmax (0.05f, fit.scale * pixelScale);
    const auto key = juce::String (getWidth()) + "x" + juce::String (getHeight()) + (useModernUI ? "m" : "v")
                     + (isDarkTheme() ? "d" : "l") + juce::String (k, 4);
    if (! overlayCache.isValid() || key != overlayCacheKey)
    {
        overlayCache = juce::Image (juce::Image::ARGB, juce::jmax (1, (int) std::ceil (headRegion.getWidth() * k)),
                                    juce::jmax (1, (int) std::ceil (headRegion.getHeight() * k)), true);
        juce::Graphics cache (overlayCache);
        cache.addTransform (
            juce::AffineTransform::translation (-headRegion.getX(), -headRegion.getY()).scaled (k));
        paintHeadBlock (cache);
        overlayCacheKey = key;
    }
    g.drawImage (overlayCache, headRegion);

    paintMovingParts (g);
    paintCaptions (g);
}

void TavrelDelayAudioProcessorEditor::paintBackground (juce::Graphics& g)
{
    const auto area = getLocalBounds().toFloat();

    if (tapeRoomShowing)
    {
        drawTapeRoomBackground (g, tapeRoomBackdrop, area);
        return;
    }

    const auto fit = DeckLayout::fitInto (getWidth(), getHeight());
    const juce::Rectangle<float> deck (fit.offsetX, fit.offsetY, DeckLayout::designWidth * fit.scale,
                                       DeckLayout::designHeight * fit.scale);

    if (useModernUI)
    {
        // The minimal deck: a rounded chassis in the theme's colours on the theme's background.
        const bool dark = modernLook.isDark();
        g.fillAll (juce::Colour (modernLook.cBg));
        g.setColour (juce::Colours::black.withAlpha (0.1f));
        g.fillRoundedRectangle (deck.translated (0.0f, 8.0f), 16.0f);
        g.setColour (juce::Colours::black.withAlpha (0.05f));
        g.fillRoundedRectangle (deck.translated (0.0f, 3.0f), 12.0f);
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (modernLook.cChassis1), deck.getY(),
                                                           juce::Colour (modernLook.cChassis2), deck.getBottom()));
        g.fillRoundedRectangle (deck, 10.0f);
        g.setColour (dark ? juce::Colour (0xff3a3a3a) : juce::Colours::white);
        g.drawRoundedRectangle (deck.reduced (1.0f), 10.0f, 1.5f);
        g.setColour (dark ? juce::Colour (0xff151515) : juce::Colour (0xffd1d8dd));
        g.drawRoundedRectangle (deck, 10.0f, 1.5f);
        return;
    }

    // The skeuomorphic deck: the cabinet behind, the deck's artwork in its scaled rectangle, and
    // the masking tape over the console when it is on.
    g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xffc0c0c0), 0.0f, juce::Colour (0xff555555),
                                                       (float) getHeight()));
    g.fillAll();

    if (deckArtwork.isValid())
        g.drawImage (deckArtwork, deck, juce::RectanglePlacement::stretchToFit);
    if (maskingTapeVisible && maskingTapeArtwork.isValid())
        g.drawImage (maskingTapeArtwork, deck, juce::RectanglePlacement::stretchToFit);
}

//==============================================================================
void drawScrew (juce::Graphics& g, float x, float y, float size)
{
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffdddddd), x - size, y - size, juce::Colour (0xff555555),
                                             x + size, y + size, false));
    g.fillEllipse (circle (x, y, size * 0.5f));

    const float h = size * 0.3f;
    const auto slot = juce::Colour (0xff555555);
    g.setColour (juce::Colour::fromFloatRGBA (slot.getFloatRed() * 2.0f / 3.0f, slot.getFloatGreen() * 2.0f / 3.0f,
                                              slot.getFloatBlue() * 2.0f / 3.0f, 1.0f));
    g.drawLine (x - h, y - h, x + h, y + h, 2.0f);
    g.drawLine (x - h, y + h, x + h, y - h, 2.0f);
}

bool TavrelDelayAudioProcessorEditor::isDarkTheme() const
{
    return modernLook.isDark();
}

void TavrelDelayAudioProcessorEditor::paintHeadBlock (juce::Graphics& g)
{
    const float u = deckCentre (useModernUI) - 110.0f;
    const bool dark = isDarkTheme();

    if (useModernUI)
    {
        g.setColour (juce::Colour (dark ? 0xff333333 : 0xffbdc3c7));
        g.fillRoundedRectangle (u - 2.0f, 273.0f, 224.0f, 49.0f, 4.0f);
        g.setColour (juce::Colour (dark ? 0xff222222 : 0xffecf0f1));
        g.fillRoundedRectangle (u, 275.0f, 220.0f, 45.0f, 4.0f);
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha (0.5f));
        g.fillRoundedRectangle (u, 279.0f, 220.0f, 45.0f, 4.0f);
        g.setColour (juce::Colour (0xff222222));
        g.fillRoundedRectangle (u, 275.0f, 220.0f, 45.0f, 4.0f);
        drawScrew (g, u + 8.0f, 283.0f, 8.0f);
        drawScrew (g, u + 212.0f, 283.0f, 8.0f);
        drawScrew (g, u + 8.0f, 312.0f, 8.0f);
        drawScrew (g, u + 212.0f, 312.0f, 8.0f);
    }

    drawTapeHead (g, u + 12.0f, 307.0f, "ERASE");
    drawTapeHead (g, u + 62.0f, 307.0f, "REC");
    drawGuideRoller (g, u - 45.0f, 277.0f, 16.0f);
    drawGuideRoller (g, u + 285.0f, 277.0f, 16.0f);

    g.setColour (juce::Colour (useModernUI ? 0xffbdc3c7 : 0xffc0c0c0));
    g.fillEllipse (u + 241.0f, 297.0f, 8.0f, 8.0f);
}

void TavrelDelayAudioProcessorEditor::paintMovingParts (juce::Graphics& g)
{
    auto& p = audioProcessor;
    const bool minimal = useModernUI;
    const bool dark = isDarkTheme();
    const float c = deckCentre (minimal);
    const float u = c - 110.0f;
    const int transport = p.transportState.load();
    const bool stopped = transport == TavrelDelayAudioProcessor::transportStop;
    const double counter = DeckControls::counterSeconds (p);

    // 1. Tape packs follow the counter: all on the left at the zero point, all on the right at
    //    the end of the tape.
    const double length = DeckControls::tapeLengthSeconds (p);
    const float fraction = length > 0.0 ? (float) juce::jlimit (0.0, 1.0, counter / length) : 0.0f;
    const float leftPack = (1.0f - fraction) * 50.0f + 25.0f;
    const float rightPack = fraction * 50.0f + 25.0f;

    // 2. The play head slides with the head gap; punch-in puts it on the record head.
    const float gap = rawParameter (p, ParameterIds::PUNCH_IN) > 0.5f
                          ? 0.0f
                          : juce::jlimit (0.0f, 1.0f, rawParameter (p, ParameterIds::TIME) / 1000.0f);
    const float playX = u + 106.0f + 66.0f * gap;
    if (minimal)
    {
        g.setColour (juce::Colour (dark ? 0xff444444 : 0xff34495e));
        g.fillRoundedRectangle (playX + 6.0f, 271.0f, 28.0f, 36.0f, 2.0f);
        g.setColour (juce::Colour (0xff1abc9c));
        g.fillRect (playX + 19.0f, 299.0f, 2.0f, 8.0f);
        g.setColour (juce::Colour (0xff7f8c8d));
        g.setFont (juce::Font (10.0f, juce::Font::bold));
        g.drawText ("PLAY", juce::Rectangle<int> ((int) (playX - 10.0f), 255, 60, 12), juce::Justification::centred);
    }
    else
    {
        paintHead (g, playX, 307.0f, "PLAY", false, dark, juce::Colour (0xffffd700));
    }

    // 4. Arm angles and roller ends.
    const float armAngle = (float) p.tapeMechanics.armAngle;
    const float leftArm = armAngle + 0.5f;
    const float rightArm = armAngle - 0.5f;
    const float lx = (c - 245.0f) - 70.0f * std::sin (leftArm);
    const float ly = 235.0f + 70.0f * std::cos (leftArm);
    const float rx = (c + 245.0f) - 70.0f * std::sin (rightArm);
    const float ry = 235.0f + 70.0f * std::cos (rightArm);

    // 3. The tape from the left pack round the arm, guide and heads to the right pack.
    juce::Path tape;
    tape.startNewSubPath (c - 185.0f - leftPack + 2.0f, 175.0f);
    tape.quadraticTo (lx - 22.0f, ly + 10.0f, lx, ly + 9.0f);
    tape.cubicTo (lx + 22.0f, ly + 9.0f, u - 85.0f, 263.0f, u - 45.0f, 261.0f);
    tape.cubicTo (u - 15.0f, 261.0f, u - 10.0f, 307.0f, u + 10.0f, 307.0f);
    tape.lineTo (u + 245.0f, 307.0f);
    tape.cubicTo (u + 285.0f, 307.0f, u + 255.0f, 261.0f, u + 285.0f, 261.0f);
    tape.cubicTo (u + 325.0f, 263.0f, rx - 22.0f, ry + 9.0f, rx, ry + 9.0f);
    tape.quadraticTo (rx + 22.0f, ry + 10.0f, c + 185.0f + rightPack - 2.0f, 175.0f);

    // 5. The tape, with a pattern travelling 120 units per second of counter time while it runs.
    const int travel = (int) (std::abs (counter) * 120.0);
    if (minimal)
    {
        const auto tapeColour = juce::Colour (dark ? 0xff151515 : 0xff34495e);
        if (stopped)
        {
            g.setColour (tapeColour);
            g.strokePath (tape, juce::PathStrokeType (4.0f));
        }
        else
        {
            juce::Image stripes (juce::Image::ARGB, 20, 20, true);
            {
                juce::Graphics sg (stripes);
                sg.fillAll (tapeColour);
                sg.setColour (juce::Colour (dark ? 0xff333333 : 0xffbdc3c7));
                sg.fillRect (0, 0, 10, 20);
            }
            juce::Path band;
            juce::PathStrokeType (4.0f).createStrokedPath (band, tape);
            g.setTiledImageFill (stripes, (int) (counter * 120.0), 0, 1.0f);
            g.fillPath (band);
        }
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.strokePath (tape, juce::PathStrokeType (6.0f), juce::AffineTransform::translation (0.0f, 5.0f));
        g.setColour (juce::Colour (0xff3e2723));
        g.strokePath (tape, juce::PathStrokeType (5.0f));
        if (! stopped)
        {
            juce::Path band;
            juce::PathStrokeType (3.0f).createStrokedPath (band, tape);
            g.setTiledImageFill (tapeGrain(), travel, 0, 1.0f);
            g.fillPath (band);
        }
    }

    // 6. Tension arms.
    drawTensionArm (g, c - 245.0f, 235.0f, 70.0f, leftArm);
    drawTensionArm (g, c + 245.0f, 235.0f, 70.0f, rightArm);

    // 7. Reels turn with the tape: a smaller pack turns faster at the same tape speed.
    auto& motion = reelMotion();
    const auto phase = (float) p.tapeMechanics.reelPhase;
    if (! motion.phaseTaken)
    {
        motion.lastPhase = phase;
        motion.phaseTaken = true;
    }
    float turned = phase - motion.lastPhase;
    if (turned > juce::MathConstants<float>::pi)
        turned -= juce::MathConstants<float>::twoPi;
    else if (turned < -juce::MathConstants<float>::pi)
        turned += juce::MathConstants<float>::twoPi;
    motion.lastPhase = phase;
    if (std::isfinite (turned))
    {
        motion.leftAngle = wrapAngle (motion.leftAngle + turned * 50.0f / leftPack);
        motion.rightAngle = wrapAngle (motion.rightAngle + turned * 50.0f / rightPack);
    }

    // 8. Reels.
    drawReel (g, c - 185.0f, 160.0f, -motion.leftAngle, 85.0f, leftPack);
    drawReel (g, c + 185.0f, 160.0f, -motion.rightAngle, 85.0f, rightPack);

    // 9. The pinch roller presses the tape against the capstan while the tape runs.
    const float rollerY = stopped ? 327.0f : 324.0f;
    g.setColour (juce::Colour (minimal ? 0xff34495e : 0xff222222));
    g.fillEllipse (circle (u + 245.0f, rollerY, 13.0f));
    g.setColour (juce::Colour (minimal ? 0xffe74c3c : 0xffc0c0c0));
    g.fillEllipse (circle (u + 245.0f, rollerY, minimal ? 3.0f : 6.0f));
}

void TavrelDelayAudioProcessorEditor::paintCaptions (juce::Graphics& g)
{
    const bool light = rawParameter (audioProcessor, ParameterIds::LIGHT_GUI) > 0.5f;
    g.setFont (juce::Font ("Impact", 14.0f, juce::Font::plain));

    const struct
    {
        const char* text;
        juce::Component& knob;
    } captions[] = {
        {"VARI-SPEED", varispeedKnob}, {"WOW", wowKnob},          {"FLUTTER", flutterKnob},       {"INPUT DRIVE", driveKnob},
        {"TAPE AGE", ageKnob},         {"HISS", noiseKnob},       {"STICKINESS", stickinessKnob}, {"HEAD GAP", headGapKnob},
    };
    for (const auto& caption : captions)
        drawKnobCaption (g, caption.text, caption.knob, light);

    // The two small rotaries of the tool row are named above them.
    for (const auto& small : {std::pair<const char*, juce::Component*> ("AMOUNT", &wearRateKnob),
                              std::pair<const char*, juce::Component*> ("ZOOM", &zoomSlider)})
    {
        if (! small.second->isVisible())
            continue;

        const auto b = small.second->getBounds();
        const int top = useModernUI ? b.getY() - 81 : b.getY() - 77;
        if (useModernUI)
        {
            g.setFont (juce::Font (10.0f, juce::Font::bold));
            g.setColour (juce::Colour (modernLook.cDark));
        }
        else
        {
            g.setFont (juce::Font ("Impact", 11.0f, juce::Font::plain));
            g.setColour (juce::Colour (0xffe6e6e6));
        }
        g.drawText (small.first, juce::Rectangle<int> (b.getX() - 122, top, b.getWidth() + 40, 12),
                    juce::Justification::centredBottom);
    }

    if (rawParameter (audioProcessor, ParameterIds::REVERSE) > 0.5f)
    {
        g.setColour (juce::Colour (0xffe74c3c));
        g.setFont (juce::Font ("Courier New", 18.0f, juce::Font::bold));
        g.drawText ("REVERSE", juce::Rectangle<int> ((int) deckCentre (useModernUI) - 50, 136, 100, 20),
                    juce::Justification::centred);
    }

    const auto counterColour = juce::Colour (useModernUI ? 0xffe74c3c : 0xffff0000);
    if (counterLabel.findColour (juce::Label::textColourId) != counterColour)
        counterLabel.setColour (juce::Label::textColourId, counterColour);
}

void TavrelDelayAudioProcessorEditor::paintOverChildren (juce::Graphics& g)
{
    auto* target = midiLearnHighlight.get();
    if (! audioProcessor.midiLearnArmed.load() || target == nullptr)
        return;

    auto area = getLocalArea (target, target->getLocalBounds()).toFloat();
    area = area.withSizeKeepingCentre (juce::jmax (0.0f, area.getWidth() - 4.0f), juce::jmax (0.0f, area.getHeight() - 4.0f));
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0xcc));
    g.drawRoundedRectangle (area, 6.0f, 2.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x33));
    g.fillRoundedRectangle (area, 6.0f);
}

//==============================================================================
void TavrelDelayAudioProcessorEditor::drawGuideRoller (juce::Graphics& g, float x, float y, float r)
{
    if (useModernUI)
    {
        const bool dark = isDarkTheme();
        g.setColour (juce::Colour (dark ? 0xff2a2a2a : 0xffecf0f1));
        g.fillEllipse (circle (x, y, r));
        g.setColour (juce::Colour (dark ? 0xff444444 : 0xff95a5a6));
        g.drawEllipse (circle (x, y, r), 2.0f);
        g.setColour (juce::Colour (dark ? 0xff111111 : 0xff34495e));
        g.fillEllipse (circle (x, y, r * 0.4f));
        return;
    }

    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillEllipse (circle (x + 2.0f, y + 4.0f, r));
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffe8e8e8), x - r, y - r, juce::Colour (0xff666666), x + r,
                                             y + r, true));
    g.fillEllipse (circle (x, y, r));
    g.setColour (juce::Colour (0xffd3d3d3));
    g.drawEllipse (circle (x, y, r * 0.65f), 1.0f);
    drawScrew (g, x, y, 8.0f);
}

void TavrelDelayAudioProcessorEditor::drawTapeHead (juce::Graphics& g, float x, float y, const juce::String& label)
{
    paintHead (g, x, y, label, useModernUI, isDarkTheme(), juce::Colours::transparentBlack);
}

void TavrelDelayAudioProcessorEditor::drawTensionArm (juce::Graphics& g, float px, float py, float length, float angle)
{
    const juce::Graphics::ScopedSaveState state (g);
    g.addTransform (juce::AffineTransform::rotation (angle, px, py));

    juce::Path arm;
    arm.startNewSubPath (px - 6.0f, py);
    arm.lineTo (px + 6.0f, py);
    arm.lineTo (px + 4.0f, py + length);
    arm.lineTo (px - 4.0f, py + length);
    arm.closeSubPath();

    const auto roller = circle (px, py + length, 8.0f);

    if (useModernUI)
    {
        const bool dark = isDarkTheme();
        g.setColour (juce::Colour (dark ? 0xff333333 : 0xffbdc3c7));
        g.fillPath (arm);
        g.setColour (juce::Colour (dark ? 0xff444444 : 0xff95a5a6));
        g.strokePath (arm, juce::PathStrokeType (1.5f));
        g.setColour (juce::Colour (dark ? 0xff1a1a1a : 0xff34495e));
        g.fillEllipse (circle (px, py, 8.0f));
        g.setColour (dark ? juce::Colour (0xff555555) : juce::Colours::white);
        g.fillEllipse (circle (px, py, 3.0f));
        g.setColour (juce::Colour (0xff1abc9c));
        g.fillEllipse (roller);
        g.setColour (juce::Colour (0xff16a085));
        g.drawEllipse (roller, 1.5f);
        return;
    }

    g.setColour (juce::Colours::black.withAlpha (0.3f));
    g.fillPath (arm, juce::AffineTransform::translation (1.0f, 2.0f));
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffe0e0e0), px - 12.0f, py, juce::Colour (0xff999999),
                                             px + 12.0f, py + length, false));
    g.fillPath (arm);
    g.setColour (juce::Colour (0xff555555));
    g.strokePath (arm, juce::PathStrokeType (1.0f));
    drawScrew (g, px, py, 9.0f);

    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillEllipse (roller.translated (2.0f, 2.0f));
    g.setGradientFill (juce::ColourGradient (juce::Colours::white, roller.getX(), roller.getY(), juce::Colour (0xff808080),
                                             roller.getRight(), roller.getBottom(), true));
    g.fillEllipse (roller);
    g.setColour (juce::Colours::black);
    g.fillEllipse (circle (px, py + length, 2.0f));
}

void TavrelDelayAudioProcessorEditor::drawReel (juce::Graphics& g, float x, float y, float angle, float flangeRadius,
                                                float packRadius)
{
    if (useModernUI)
    {
        const bool dark = isDarkTheme();
        g.setColour (juce::Colour (dark ? 0xff333333 : 0xfff0f2f5));
        g.fillEllipse (circle (x, y, flangeRadius));
        g.setColour (juce::Colour (dark ? 0xff111111 : 0xff2a363b));
        g.fillEllipse (circle (x, y, packRadius));
        g.setColour (juce::Colour (dark ? 0xff555555 : 0xffbdc3c7));
        g.fillEllipse (circle (x, y, 10.0f));
        g.setColour (juce::Colour (0xff808080).withAlpha (0.5f));
        g.drawEllipse (circle (x, y, 12.0f), 2.0f);

        g.setColour (juce::Colours::white);
        for (int i = 0; i < 3; ++i)
        {
            const float a = (float) i * 2.0943952f + angle;
            g.fillEllipse (circle (x + std::sin (a) * 0.65f * flangeRadius, y - std::cos (a) * 0.65f * flangeRadius, 12.0f));
        }
        return;
    }

    g.setColour (juce::Colour (0xff2a1a15));
    g.fillEllipse (circle (x, y, packRadius));
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 8));
    for (float ring = 26.0f; ring < packRadius; ring += 2.0f)
        g.drawEllipse (circle (x, y, ring), 0.5f);
    g.setColour (juce::Colour (0xff555555));
    g.fillEllipse (circle (x, y, 15.0f));

    juce::Image reel;
    if (auto* vintage = dynamic_cast<CustomLookAndFeel*> (&getLookAndFeel()))
        reel = vintage->reelImage;
    else if (auto* modern = dynamic_cast<ModernLookAndFeel*> (&getLookAndFeel()))
        reel = modern->getReelImage();

    if (reel.isValid() && reel.getWidth() > 0)
    {
        const float scale = 2.0f * flangeRadius / (float) reel.getWidth();
        g.setImageResamplingQuality (juce::Graphics::mediumResamplingQuality);
        g.drawImageTransformed (reel, juce::AffineTransform::translation (-reel.getWidth() * 0.5f, -reel.getHeight() * 0.5f)
                                          .scaled (scale)
                                          .rotated (angle)
                                          .translated (x, y));
    }
}

void TavrelDelayAudioProcessorEditor::drawKnobCaption (juce::Graphics& g, const juce::String& text, juce::Component& knob,
                                                       bool light)
{
    if (! knob.isVisible())
        return;

    const auto b = knob.getBounds();
    if (useModernUI)
    {
        g.setFont (juce::Font (10.5f, juce::Font::bold));
        g.setColour (juce::Colour (modernLook.cDark));
        g.drawText (text, juce::Rectangle<int> (b.getX() - 112, b.getBottom() - 56, b.getWidth() + 20, 15),
                    juce::Justification::centredTop);
        return;
    }

    const auto box = juce::Rectangle<int> (b.getX() - 112, b.getBottom() - 61, b.getWidth() + 20, 15);
    const auto colour = getLookAndFeel().findColour (juce::Label::textColourId);
    if (! light && LookDrawing::lightness (colour) > 0.5f)
    {
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 153));
        g.drawText (text, box.translated (0, 1), juce::Justification::centredTop);
    }
    g.setColour (colour);
    g.drawText (text, box, juce::Justification::centredTop);
}
