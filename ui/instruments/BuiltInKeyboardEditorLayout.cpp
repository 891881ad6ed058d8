// The stage keyboard panel's layout, painting and theme.

#include "ui/instruments/BuiltInKeyboardEditor.h"
#include "ui/instruments/InstrumentLearnMode.h"

#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
void paintSection (juce::Graphics& g, juce::Rectangle<int> area, const juce::String& sectionTitle,
                   const ModernLookAndFeel* modern)
{
    const auto bounds = area.toFloat();
    if (modern != nullptr)
    {
        const auto dark = juce::Colour (modern->cDark);
        g.setColour (juce::Colour (modern->cChassis1));
        g.fillRoundedRectangle (bounds, 6.0f);
        g.setColour (dark.withAlpha ((juce::uint8)0x33));
        g.drawRoundedRectangle (bounds, 6.0f, 1.0f);
        g.setColour (dark);
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x1f));
        g.fillRoundedRectangle (bounds, 6.0f);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x14));
        g.drawRoundedRectangle (bounds, 6.0f, 1.0f);
        g.setColour (juce::Colour (0xffb0b0b0));
    }

    g.setFont (LookFonts::font ("Sans-Serif", 12.0f, juce::Font::bold));
    g.drawText (sectionTitle, area.getX(), area.getY() + 10, area.getWidth(), 20, juce::Justification::centred, true);
}
} // namespace

void BuiltInKeyboardEditor::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int c = (int)(w * 0.8333333);
    const int f = (int)(w * 0.083333336);
    const int d = c + f;

    presetButton.setBounds (d - 150, 47, 130, 20);
    learnButton.setBounds (d - 250, 47, 90, 20);
    kbdButton.setBounds (d - 310, 47, 50, 20);
    glassPane.setBounds (0, 0, w, h);
    if (keyboard != nullptr)
        keyboard->setBounds (0, h - keyboardHeight, w, keyboardHeight);

    modelSection = {f + 15, 82, c - 30, 100};
    toneSection = {f + 15, 197, c - 30, 150};

    for (int k = 0; k < numModels; ++k)
        modelButtons[(size_t)k].setBounds (modelSection.getX() + modelSection.getWidth() / 2 - 457 + 155 * k,
                                           modelSection.getY() + 45, 140, 34);

    const double s = toneSection.getWidth() / 6.0;
    for (int k = 0; k < numKnobs; ++k)
    {
        const int centre = toneSection.getX() + (int)(k * s) + (int)(s / 2.0);
        knobs[(size_t)k].setBounds (centre - 30, toneSection.getY() + 65, 60, 76);
        if (auto* label = labels[k])
            label->setBounds (centre - 50, toneSection.getY() + 45, 100, 20);
    }
}

void BuiltInKeyboardEditor::paint (juce::Graphics& g)
{
    const auto* modern = ModernLookAndFeel::getDefault();
    const int w = getWidth();
    const int c = (int)(w * 0.8333333);
    const int f = (int)(w * 0.083333336);

    if (modern != nullptr)
        g.fillAll (juce::Colour (modern->cBg));
    else if (background.isValid())
        g.drawImage (background, juce::Rectangle<float> (0.0f, 0.0f, (float)w, (float)baseHeight),
                     juce::RectanglePlacement::stretchToFit);

    const auto dark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black;
    g.setColour (modern != nullptr ? dark : juce::Colour (0xffd0c0b0));
    g.setFont (LookFonts::font ("Sans-Serif", 18.0f, juce::Font::bold));
    g.drawText (title, f, 37, c, 40, juce::Justification::centred, true);

    g.setColour (dark.withAlpha ((juce::uint8)0x33));
    g.fillRect (f + 20, 77, c - 40, 2);

    paintSection (g, modelSection, "MODEL SELECT", modern);
    paintSection (g, toneSection, "TONE & MODULATION", modern);
}

void BuiltInKeyboardEditor::paintOverChildren (juce::Graphics& g)
{
    InstrumentLearnMode::paintTargetFrame (g, *processor, learnTarget, *this);
}

void BuiltInKeyboardEditor::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void BuiltInKeyboardEditor::lookAndFeelChanged()
{
    if (isClosing)
        return;

    const auto* modern = ModernLookAndFeel::getDefault();
    juce::LookAndFeel* wanted = modern != nullptr ? nullptr : &customLook;
    if (modern != nullptr ? &getLookAndFeel() != &juce::LookAndFeel::getDefaultLookAndFeel()
                          : &getLookAndFeel() != &customLook)
        setLookAndFeel (wanted);

    const auto dark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black;

    for (auto* label : labels)
        label->setColour (juce::Label::textColourId, modern != nullptr ? dark : juce::Colour (0xffe0e0e0));
    for (auto& knob : knobs)
        knob.setColour (juce::Slider::textBoxTextColourId, modern != nullptr ? dark : juce::Colours::white);

    const auto keyText = modern == nullptr ? juce::Colours::black : modern->isDark() ? juce::Colours::white : dark;
    for (auto* button : {&learnButton, &kbdButton})
    {
        button->setColour (juce::TextButton::textColourOffId, keyText);
        button->setColour (juce::TextButton::textColourOnId, keyText);
    }

    for (auto& button : modelButtons)
    {
        button.setColour (juce::TextButton::buttonColourId,
                          modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xffd0c0b0));
        button.setColour (juce::TextButton::buttonOnColourId,
                          modern != nullptr ? juce::Colour (modern->cAccent) : juce::Colour (0xffb0a090));
        button.setColour (juce::TextButton::textColourOffId, modern != nullptr ? dark : juce::Colours::black);
        button.setColour (juce::TextButton::textColourOnId, modern != nullptr ? juce::Colours::white : juce::Colours::black);
    }

    repaint();
}
