#include "ui/instruments/BuiltInTannerinEditor.h"

#include "instruments/TannerinEngine.h"
#include "ui/instruments/SlideKeyboardPicture.h"
#include "ui/instruments/TannerinIds.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

// Layout, drawing and looks of the slide editor.

namespace
{
struct Frame
{
    int x0, cw, y0;
};

// The faceplate's content frame: the picture's margins scaled to the editor's size.
Frame frameFor (int w, int h)
{
    return {(int)((float)w * 0.083333336f), (int)((float)w * 0.8333333f), (int)((float)h * 0.07723996f)};
}
} // namespace

void BuiltInTannerinEditor::resized()
{
    if (engine() == nullptr)
        return;

    const int W = getWidth(), H = getHeight();
    const auto [X0, CW, Y0] = frameFor (W, H);

    presetButton.setBounds (X0 + CW - 150, Y0 + 10, 130, 20);
    learnButton.setBounds (X0 + CW - 250, Y0 + 10, 90, 20);
    glassPane.setBounds (0, 0, W, H);

    sectionAreas[globalSection] = {X0 + 15, Y0 + 45, 430, 180};
    sectionAreas[slideSection] = {X0 + 460, Y0 + 45, CW - 475, 180};

    const auto slide = sectionAreas[slideSection];
    const int sx = slide.getX(), sy = slide.getY(), sw = slide.getWidth();
    slideSlider.setBounds (sx + 20, sy + 105, sw - 40, 40);
    touchButton.setBounds (sx + sw - 215, sy + 8, 65, 24);
    lightsButton.setBounds (sx + sw - 145, sy + 8, 65, 24);
    keyboardButton.setBounds (sx + sw - 75, sy + 8, 65, 24);

    const auto global = sectionAreas[globalSection];
    gateButton.setBounds (global.getX() + 115, global.getY() + 45, 120, 24);
    latchButton.setBounds (global.getX() + 245, global.getY() + 45, 70, 24);
    layoutKnobRow (global, master, 6, 3, 100);

    const int o = (4 * CW - 300) / 13;
    const int t = (3 * CW - 225) / 13;
    sectionAreas[oscillatorSection] = {X0 + 15, Y0 + 240, o, 150};
    sectionAreas[filterSection] = {X0 + o + 30, Y0 + 240, t, 150};
    sectionAreas[filterEnvSection] = {X0 + o + t + 45, Y0 + 240, t, 150};
    sectionAreas[ampEnvSection] = {X0 + o + 2 * t + 60, Y0 + 240, t, 150};

    const auto osc = sectionAreas[oscillatorSection];
    const auto placeBox = [this] (juce::ComboBox& box, int caption, int centreX, int top)
    {
        box.setBounds (centreX - 40, top + 45, 80, 22);
        captionLabels[caption]->setBounds (centreX - 40, top + 27, 80, 20);
    };
    placeBox (wave1Box, 0, osc.getX() + o / 8, osc.getY());
    placeBox (wave2Box, 1, osc.getX() + 7 * o / 8, osc.getY());
    layoutKnobRow (osc, level1, 4, 9, 86);

    const auto filter = sectionAreas[filterSection];
    placeBox (filterTypeBox, 2, filter.getX() + t / 2, filter.getY());
    layoutKnobRow (filter, cutoff, 3, 13, 86);

    layoutKnobRow (sectionAreas[filterEnvSection], filterAttack, 4, 16, 86);
    layoutKnobRow (sectionAreas[ampEnvSection], ampAttack, 4, 20, 86);
}

void BuiltInTannerinEditor::layoutKnobRow (juce::Rectangle<int> area, int firstKnob, int count, int firstCaption,
                                           int offset)
{
    const float cell = (float)area.getWidth() / (float)count;
    for (int k = 0; k < count; ++k)
    {
        const int cx = (int)std::floor ((float)k * cell) + area.getX() + (int)std::floor (cell / 2.0f);
        knobs[(size_t)(firstKnob + k)].setBounds (cx - 20, area.getY() + offset, 40, 56);
        if (auto* caption = captionLabels[firstCaption + k])
            caption->setBounds (cx - 35, area.getY() + offset - 18, 70, 20);
    }
}

juce::Rectangle<float> BuiltInTannerinEditor::pictureArea() const
{
    const auto s = sectionAreas[slideSection];
    return SlideKeyboardPicture::makeArea ((float)s.getX() + 20.0f, (float)s.getY() + 40.0f, (float)s.getWidth() - 40.0f,
                                           (float)(juce::jmax (s.getHeight() - 60, 0) - 65));
}

//==============================================================================
void BuiltInTannerinEditor::paint (juce::Graphics& g)
{
    const int W = getWidth(), H = getHeight();
    auto* modern = ModernLookAndFeel::getDefault();

    if (modern != nullptr)
        g.fillAll (juce::Colour (modern->cBg));
    else if (background.isValid())
        g.drawImage (background, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit);

    if (engine() == nullptr)
        return;

    const auto [X0, CW, Y0] = frameFor (W, H);
    const int th = juce::jmin ((int)((float)H * 0.84963953f), 40);

    g.setColour (modern != nullptr ? juce::Colour (modern->cDark) : juce::Colour (0xffd0c0b0));
    g.setFont (LookFonts::font ("Sans-Serif", 18.0f, juce::Font::bold));
    g.drawText (TannerinIds::title, X0, Y0, CW, th, juce::Justification::centred, true);

    g.setColour ((modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black).withAlpha ((juce::uint8)0x33));
    g.fillRect (X0 + 20, Y0 + th, CW - 40, 2);

    for (int s = 0; s < 6; ++s)
        drawSection (g, sectionAreas[(size_t)s], sectionTitles[s]);

    const auto area = pictureArea();
    g.setColour (juce::Colour (0xfff5f5f0));
    g.fillRect (area);
    SlideKeyboardPicture::draw (g, area, SlideKeyboardPicture::editorTicks, SlideKeyboardPicture::glowFor (engine()));
}

void BuiltInTannerinEditor::drawSection (juce::Graphics& g, juce::Rectangle<int> area, const juce::String& title) const
{
    const auto r = area.toFloat();
    juce::Colour titleColour (0xffb0b0b0);

    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        g.setColour (juce::Colour (modern->cChassis1));
        g.fillRoundedRectangle (r, 6.0f);
        g.setColour (juce::Colour (modern->cDark).withAlpha ((juce::uint8)0x33));
        g.drawRoundedRectangle (r, 6.0f, 1.0f);
        titleColour = juce::Colour (modern->cDark);
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x1f));
        g.fillRoundedRectangle (r, 6.0f);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x14));
        g.drawRoundedRectangle (r, 6.0f, 1.0f);
    }

    g.setColour (titleColour);
    g.setFont (LookFonts::font ("Sans-Serif", 12.0f, juce::Font::bold));
    g.drawText (title, area.getX(), area.getY() + 10, area.getWidth(), 20, juce::Justification::centred, true);
}

//==============================================================================
void BuiltInTannerinEditor::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void BuiltInTannerinEditor::lookAndFeelChanged()
{
    if (isClosing)
        return;

    auto* modern = ModernLookAndFeel::getDefault();
    juce::LookAndFeel* wanted = modern != nullptr ? static_cast<juce::LookAndFeel*> (modern) : &customLook;
    if (&getLookAndFeel() != wanted)
        setLookAndFeel (modern != nullptr ? nullptr : &customLook);

    const bool dark = modern != nullptr && modern->isDark();
    const juce::Colour textColour = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white;

    for (auto* caption : captionLabels)
        caption->setColour (juce::Label::textColourId,
                            modern != nullptr ? juce::Colour (modern->cDark) : juce::Colour (0xffe0e0e0));
    for (auto* child : getChildren())
        if (auto* slider = dynamic_cast<juce::Slider*> (child))
            slider->setColour (juce::Slider::textBoxTextColourId, textColour);

    const juce::Colour buttonText = modern == nullptr ? juce::Colours::black
                                                      : (dark ? juce::Colours::white : juce::Colour (modern->cDark));
    for (auto* button : {&learnButton, &keyboardButton})
    {
        // KBD sits on a dark key like TOUCH and LIGHTS: black lettering would vanish there.
        const auto colour = modern == nullptr && button == &keyboardButton ? juce::Colours::white : buttonText;
        button->setColour (juce::TextButton::textColourOffId, colour);
        button->setColour (juce::TextButton::textColourOnId, colour);
    }

    for (auto* box : {&wave1Box, &wave2Box, &filterTypeBox})
    {
        box->setColour (juce::ComboBox::backgroundColourId,
                        modern == nullptr ? juce::Colour (0xff151515) : (dark ? juce::Colour (0xff222222) : juce::Colours::white));
        box->setColour (juce::ComboBox::textColourId, modern != nullptr ? juce::Colour (modern->cDark) : juce::Colour (0xfffff0dd));
        box->setColour (juce::ComboBox::outlineColourId,
                        modern == nullptr ? juce::Colours::black.withAlpha ((juce::uint8)0x80)
                                          : (dark ? juce::Colour (0xff444444) : juce::Colour (0xffbdc3c7)));
    }
}
