#include "ui/looks/CustomLookAndFeel.h"

#include "ui/looks/LookDrawing.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/LookIds.h"
#include "ui/looks/LookImages.h"
#include "ui/looks/VintageCloseButton.h"

#include <juce_audio_utils/juce_audio_utils.h>

namespace
{
const juce::Colour cyan (0xff00ffff);
const juce::Colour creamKey (0xffd0c0b0);

void drawButtonHighlight (juce::Graphics& g, const juce::Component& c)
{
    const juce::Rectangle<float> r (2.0f, 2.0f, (float)c.getWidth() - 4.0f, (float)c.getHeight() - 4.0f);
    g.setColour (cyan);
    g.drawRoundedRectangle (r, 4.0f, 3.0f);
    g.setColour (cyan.withAlpha ((juce::uint8)0x4c));
    g.fillRoundedRectangle (r, 4.0f);
}

// Buttons of dialogs, the device selector and the plug-in manager stay plain keys.
bool wantsFlatButton (const juce::Button& button)
{
    if (LookDrawing::hasAncestor<juce::AlertWindow> (button)
        || LookDrawing::hasAncestor<juce::AudioDeviceSelectorComponent> (button))
        return true;

    auto* window = button.findParentComponentOfClass<juce::DocumentWindow>();
    return window != nullptr && window->getName() == LookIds::pluginManagerWindow;
}

bool isVerticalStyle (juce::Slider::SliderStyle style)
{
    return style == juce::Slider::LinearVertical || style == juce::Slider::LinearBarVertical
           || style == juce::Slider::TwoValueVertical || style == juce::Slider::ThreeValueVertical;
}

bool isHorizontalStyle (juce::Slider::SliderStyle style)
{
    return style == juce::Slider::LinearHorizontal || style == juce::Slider::LinearBar
           || style == juce::Slider::TwoValueHorizontal || style == juce::Slider::ThreeValueHorizontal;
}
} // namespace

CustomLookAndFeel::CustomLookAndFeel()
{
    using Id = LookImageId;
    knobStripDefault = LookImages::get (Id::knobStripDefault);
    knobStripEq = LookImages::get (Id::knobStripEq);
    knobStripAuxPan = LookImages::get (Id::knobStripAuxPan);
    faderCapImage = LookImages::get (Id::faderCap);
    sliderThumbImage = LookImages::get (Id::sliderThumb);
    panelButtonImage = LookImages::get (Id::panelButton);
    panelButtonLitImage = LookImages::get (Id::panelButtonLit);
    reelImage = LookImages::get (Id::reel);
    playCap = LookImages::get (Id::playCap);
    playCapLit = LookImages::get (Id::playCapLit);
    stopCap = LookImages::get (Id::stopCap);
    stopCapLit = LookImages::get (Id::stopCapLit);
    recCap = LookImages::get (Id::recCap);
    recCapLit = LookImages::get (Id::recCapLit);
    rewCap = LookImages::get (Id::rewCap);
    rewCapLit = LookImages::get (Id::rewCapLit);
    ffCap = LookImages::get (Id::ffCap);
    ffCapLit = LookImages::get (Id::ffCapLit);
    rtzCap = LookImages::get (Id::rtzCap);
    rtzCapLit = LookImages::get (Id::rtzCapLit);
    zeroCap = LookImages::get (Id::zeroCap);
    zeroCapLit = LookImages::get (Id::zeroCapLit);
    dustCoverImage = LookImages::get (Id::dustCover);

    const juce::Colour grey (0xff808080);
    setColour (juce::PopupMenu::backgroundColourId, juce::Colours::black.withAlpha ((juce::uint8)0xf2));
    setColour (juce::PopupMenu::textColourId, juce::Colours::white);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xffd6d6d6));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colours::black);
    setColour (juce::ComboBox::backgroundColourId, juce::Colours::black.withAlpha ((juce::uint8)0x80));
    setColour (juce::ComboBox::textColourId, juce::Colours::white);
    setColour (juce::ComboBox::outlineColourId, juce::Colours::white.withAlpha ((juce::uint8)0x80));
    setColour (juce::ComboBox::arrowColourId, juce::Colours::white);
    setColour (juce::TextButton::buttonColourId, creamKey);
    setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xff151515));
    setColour (juce::TextEditor::textColourId, juce::Colours::white);
    setColour (juce::TextEditor::outlineColourId, grey.withAlpha ((juce::uint8)0x80));
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0xffffa500));
    setColour (juce::ResizableWindow::backgroundColourId, juce::Colour (0xff2b2b2b));
    setColour (juce::DocumentWindow::textColourId, juce::Colours::white);
    setColour (juce::ListBox::backgroundColourId, juce::Colour (0xff151515));
    setColour (juce::ListBox::textColourId, juce::Colours::white);
    setColour (juce::ListBox::outlineColourId, grey.withAlpha ((juce::uint8)0x80));
    setColour (juce::ScrollBar::thumbColourId, juce::Colour (0xffd3d3d3));
}

CustomLookAndFeel::~CustomLookAndFeel() = default;

const juce::Image& CustomLookAndFeel::getKnobStripFor (const juce::String& componentID) const
{
    if (componentID.startsWith (LookIds::eqPrefix))
        return knobStripEq;

    if (componentID.startsWith (LookIds::auxPrefix) || componentID.startsWith (LookIds::panPrefix))
        return knobStripAuxPan;

    return knobStripDefault;
}

int CustomLookAndFeel::getKnobFrameIndex (const juce::Image& strip, double proportion) noexcept
{
    if (! strip.isValid() || strip.getWidth() <= 0)
        return 0;

    const int frames = strip.getHeight() / strip.getWidth();
    return juce::jlimit (0, juce::jmax (0, frames - 1), (int)((frames - 1) * proportion));
}

std::pair<const juce::Image*, const juce::Image*> CustomLookAndFeel::getTransportCaps (const juce::String& id) const
{
    if (id == LookIds::playButton)
        return {&playCap, &playCapLit};
    if (id == LookIds::stopButton)
        return {&stopCap, &stopCapLit};
    if (id == LookIds::recButton)
        return {&recCap, &recCapLit};
    if (id == LookIds::rewButton)
        return {&rewCap, &rewCapLit};
    if (id == LookIds::ffButton)
        return {&ffCap, &ffCapLit};
    if (id == LookIds::rtzButton)
        return {&rtzCap, &rtzCapLit};
    if (id == LookIds::zeroButton)
        return {&zeroCap, &zeroCapLit};

    return {nullptr, nullptr};
}

void CustomLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button,
                                              const juce::Colour& backgroundColour, bool, bool shouldDrawButtonAsDown)
{
    const int w = button.getWidth(), h = button.getHeight();
    const bool active = shouldDrawButtonAsDown || button.getToggleState();
    const bool learning = LookDrawing::isMidiLearnTarget (button);
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);

    const auto caps = getTransportCaps (button.getComponentID());
    g.setOpacity (1.0f);

    if (caps.first != nullptr && caps.first->isValid() && caps.second->isValid())
    {
        g.drawImage (active ? *caps.second : *caps.first, juce::Rectangle<float> (0.0f, 0.0f, (float)w, (float)h));
    }
    else if (wantsFlatButton (button) || ! panelButtonImage.isValid() || ! panelButtonLitImage.isValid())
    {
        auto c = backgroundColour;

        if (LookDrawing::lightness (c) < 0.4f || c.getAlpha() == 0)
            c = creamKey;

        const LookDrawing::RaisedKey key{juce::Colour (0xff151515), 4.0f, juce::Colours::black.withAlpha ((juce::uint8)0x4c), 2.0f};
        LookDrawing::drawRaisedKey (g, (float)w, (float)h, c, active, key);
    }
    else
    {
        g.drawImage (active ? panelButtonLitImage : panelButtonImage,
                     juce::Rectangle<float> (0.0f, 0.0f, (float)w, (float)h));
    }

    if (learning)
        drawButtonHighlight (g, button);
}

juce::Font CustomLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return juce::Font (juce::jmin (16.0f, (float)buttonHeight * 0.6f));
}

void CustomLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                          bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    if (! panelButtonImage.isValid() || ! panelButtonLitImage.isValid())
    {
        juce::LookAndFeel_V4::drawToggleButton (g, button, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
        return;
    }

    const bool on = button.getToggleState();
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.setOpacity (1.0f);
    g.drawImage (shouldDrawButtonAsDown || on ? panelButtonLitImage : panelButtonImage,
                 button.getLocalBounds().toFloat());

    if (button.getButtonText().isNotEmpty())
    {
        g.setFont (LookFonts::font ("sans-serif", 14.0f, juce::Font::bold));
        g.setColour (on ? button.findColour (juce::TextButton::textColourOnId) : juce::Colour (0xffbbbbbb));
        g.drawFittedText (button.getButtonText(), 2, 2, button.getWidth() - 4, button.getHeight() - 4,
                          juce::Justification::centred, 1);
    }

    if (LookDrawing::isMidiLearnTarget (button))
        drawButtonHighlight (g, button);
}

void CustomLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert,
                                      const juce::Rectangle<int>& textArea, juce::TextLayout& textLayout)
{
    const float w = (float)alert.getWidth(), h = (float)alert.getHeight();

    g.setColour (juce::Colour (0xff2b2b2b));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 5.0f);
    g.setColour (juce::Colours::black);
    g.drawRoundedRectangle (0.0f, 0.0f, w, h, 5.0f, 2.0f);

    g.setColour (creamKey);
    g.fillRoundedRectangle (0.0f, 0.0f, w, 40.0f, 5.0f);
    g.fillRect (0.0f, 20.0f, w, 25.0f);

    g.setFont (LookFonts::font ("Sans-Serif", 18.0f, juce::Font::bold));
    g.setColour (juce::Colours::black);
    g.drawText (alert.getName(), 0, 0, alert.getWidth(), 45, juce::Justification::centred, true);
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x4c));
    g.fillRect (0.0f, 43.0f, w, 2.0f);

    const auto body = alert.getProperties()[LookIds::bodyText].toString();

    if (body.isNotEmpty())
    {
        auto area = juce::Rectangle<int> (0, 0, alert.getWidth(), alert.getHeight() - 60);
        area.removeFromTop (juce::jmin (65, juce::jmax (0, area.getHeight())));
        g.setFont (LookFonts::font ("Segoe UI", 18.0f));
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0xe6));
        g.drawFittedText (body, area.reduced (15, 0), juce::Justification::centredTop, 10);
    }
    else
    {
        auto area = textArea.toFloat();
        area = area.withTop (area.getY() + 10.0f).withHeight (juce::jmax (0.0f, area.getHeight() - 10.0f));
        g.setColour (juce::Colours::white);
        textLayout.draw (g, area);
    }
}

int CustomLookAndFeel::getAlertBoxWindowFlags()
{
    return 0;
}

juce::Font CustomLookAndFeel::getPopupMenuFont()
{
    return juce::Font (17.0f);
}

juce::Font CustomLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    return juce::Font (juce::Font::getDefaultMonospacedFontName(), 11.5f, juce::Font::bold);
}

void CustomLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (1, 1, box.getWidth() - 2, box.getHeight() - 2);
    label.setFont (getComboBoxFont (box));
}

juce::Font CustomLookAndFeel::getLabelFont (juce::Label& label)
{
    if (dynamic_cast<juce::Slider*> (label.getParentComponent()) != nullptr)
        return juce::Font (juce::Font::getDefaultMonospacedFontName(), 11.0f, juce::Font::plain);

    return label.getFont();
}

void CustomLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                          float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                                          juce::Slider& slider)
{
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.setOpacity (1.0f);

    if (style == juce::Slider::LinearVertical && faderCapImage.isValid())
    {
        const float capHeight = (float)width / 90.0f * 136.0f;
        const float capTop = sliderPos - capHeight * 0.5f;
        g.drawImage (faderCapImage, juce::Rectangle<float> ((float)x, capTop, (float)width, capHeight));

        if (LookDrawing::isMidiLearnTarget (slider))
        {
            const juce::Rectangle<float> r ((float)x + 5.0f, capTop + 1.0f, (float)width - 10.0f, capHeight - 2.0f);
            g.setColour (cyan.withAlpha ((juce::uint8)0x80));
            g.fillRoundedRectangle (r, 2.0f);
            g.setColour (cyan);
            g.drawRoundedRectangle (r, 2.0f, 1.0f);
        }

        return;
    }

    if (style == juce::Slider::LinearHorizontal && sliderThumbImage.isValid())
    {
        const float side = (float)height;
        g.drawImage (sliderThumbImage, juce::Rectangle<float> (sliderPos - side * 0.5f, (float)y, side, side));
        return;
    }

    juce::LookAndFeel_V4::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style,
                                            slider);
}

int CustomLookAndFeel::getSliderThumbRadius (juce::Slider& slider)
{
    const auto style = slider.getSliderStyle();

    if (isVerticalStyle (style) && faderCapImage.isValid())
        return (int)((float)slider.getWidth() / 90.0f * 136.0f * 0.5f);

    if (isHorizontalStyle (style))
        return slider.getHeight() / 2;

    return juce::jmin (12, (int)((float)slider.getWidth() * 0.5f));
}

void CustomLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                          float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                                          juce::Slider& slider)
{
    const float cx = (float)x + (float)width / 2.0f, cy = (float)y + (float)height / 2.0f;
    const float d = (float)juce::jmin (width, height);
    const float first = rotaryStartAngle + 0.25f, last = rotaryEndAngle - 0.25f;

    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x99));

    for (int i = 0; i <= 10; ++i)
    {
        const float a = first + (float)i / 10.0f * (last - first);
        const float inner = d / 2.0f - 3.0f, outer = d / 2.0f + 1.0f;
        g.drawLine (cx + std::sin (a) * inner, cy - std::cos (a) * inner, cx + std::sin (a) * outer,
                    cy - std::cos (a) * outer, 1.0f);
    }

    const auto& strip = getKnobStripFor (slider.getComponentID());

    if (! strip.isValid())
        return;

    const int side = strip.getWidth();
    const int index = getKnobFrameIndex (strip, sliderPosProportional);
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.setOpacity (1.0f); // pictures take the opacity of the current colour: the scale's is not theirs
    g.drawImage (strip, x, y, width, height, 0, index * side, side, side);

    if (LookDrawing::isMidiLearnTarget (slider))
    {
        const juce::Rectangle<float> r ((float)x + 5.0f, (float)y + 5.0f, (float)juce::jmax (0, width - 10),
                                        (float)juce::jmax (0, height - 10));
        g.setColour (cyan);
        g.drawEllipse (r, 3.0f);
        g.setColour (cyan.withAlpha ((juce::uint8)0x66));
        g.drawEllipse (r, 5.0f);
    }
}

juce::Font CustomLookAndFeel::getSliderPopupFont (juce::Slider&)
{
    return juce::Font (11.0f, juce::Font::bold);
}

juce::Button* CustomLookAndFeel::createDocumentWindowButton (int buttonType)
{
    if (buttonType == juce::DocumentWindow::closeButton)
        return new VintageCloseButton ("close");

    return juce::LookAndFeel_V4::createDocumentWindowButton (buttonType);
}

juce::Typeface::Ptr CustomLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    return juce::LookAndFeel_V4::getTypefaceForFont (LookFonts::mapped (font));
}
