// Layout, theme and painting of the built-in effect editor's content layer.

#include "rack/BuiltInEffectEditor.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <cmath>

namespace
{
struct MeterMark
{
    float db;
    const char* text;
    float length;
};

constexpr MeterMark meterMarks[] = {
    {-20.0f, "-20", 5}, {-10.0f, "-10", 5}, {-7.0f, "-7", 5}, {-5.0f, "-5", 5}, {-3.0f, "-3", 5},
    {-2.0f, "", 3},     {-1.0f, "", 4},     {-0.5f, "", 2},   {0.0f, "0", 7},   {0.5f, "", 2},
    {1.0f, "", 4},      {1.5f, "", 2},      {2.0f, "2", 5},   {2.5f, "", 2},    {3.0f, "3", 5},
};

float markAngle (float v)
{
    return v <= 0.0f ? std::pow ((v + 20.0f) / 20.0f, 0.6f) * 1.05f - 0.65f : (v / 3.0f) * 0.25f + 0.4f;
}

juce::String faceplateTitle (int type)
{
    static const char* const titles[] = {"Velmora ANALOG REVERB", "Velmora TAPE ECHO", "Velmora OPTO COMP",
                                         "Velmora LINE AMP", "Velmora EQUALIZER", "Velmora MULTI-MODULATOR",
                                         "Velmora FET-Q9"};
    return type >= 1 && type <= 7 ? titles[type - 1] : "";
}
} // namespace

juce::Rectangle<int> BuiltInEffectEditor::ContentLayer::panelArea() const
{
    const int W = getWidth(), H = getHeight();
    return {(int)(W * 0.08177083), (int)(H * 0.0669413), (int)(W * 0.846875), (int)(H * 0.86199796)};
}

void BuiltInEffectEditor::ContentLayer::resized()
{
    const auto panel = panelArea();
    const int x0 = panel.getX(), y0 = panel.getY(), w0 = panel.getWidth(), h0 = panel.getHeight();
    const int c = x0 + w0 / 2;
    const int g = y0 + h0 / 2;

    switch (effectType)
    {
        case 1:
        case 2:
            layOutRow (g, c);
            break;
        case 3:
            labels[0]->setBounds (c - 50, g + 75, 100, 20);
            choiceBox.setBounds (c - 45, g + 95, 90, 24);
            labels[1]->setBounds (c - 240, g + 80, 100, 20);
            knobs[0].setBounds (c - 227, g - 20, 75, 91);
            labels[2]->setBounds (c + 140, g + 80, 100, 20);
            knobs[1].setBounds (c + 153, g - 20, 75, 91);
            break;
        case 4:
            labels[0]->setBounds (c - 50, g + 85, 100, 20);
            knobs[0].setBounds (c - 50, g - 40, 100, 116);
            break;
        case 5:
            eqDisplay->setBounds (x0 + 30, y0 + 55, juce::jmax (0, w0 - 60), juce::jmax (0, h0 - 120));
            break;
        case 6:
            for (int k = 0; k < (int)typeButtons.size(); ++k)
                typeButtons[(size_t)k].setBounds (c - 273 + 79 * k, y0 + 55, 73, 26);
            labels[0]->setBounds (c - 175, y0 + 96, 100, 20);
            knobs[0].setBounds (c - 159, y0 + 116, 68, 84);
            labels[1]->setBounds (c + 75, y0 + 96, 100, 20);
            knobs[1].setBounds (c + 91, y0 + 116, 68, 84);
            mfxSyncButton.setBounds (c + 179, y0 + 141, 75, 24);
            break;
        case 7:
        {
            labels[0]->setBounds (c - 50, g + 75, 100, 20);
            choiceBox.setBounds (c - 45, g + 95, 90, 24);
            const int captionX[] = {c - 295, c - 200, c + 100, c + 195};
            const int knobX[] = {c - 277, c - 182, c + 118, c + 213};
            for (int k = 0; k < 4; ++k)
            {
                labels[k + 1]->setBounds (captionX[k], g + 70, 100, 20);
                knobs[(size_t)k].setBounds (knobX[k], g - 15, 64, 80);
            }
            break;
        }
        default:
            break;
    }
}

void BuiltInEffectEditor::ContentLayer::layOutRow (int g, int c)
{
    int n = 0;
    for (auto* label : labels)
        n += label->isVisible() ? 1 : 0;

    const int s = n == 4 ? 135 : n > 5 ? 95 : 115;
    int x = c - (n - 1) * s / 2 - 45;
    for (int i = 0; i < labels.size(); ++i)
    {
        if (! labels[i]->isVisible())
            continue;
        labels[i]->setBounds (x - 5, g - 25, 100, 20);
        auto* control = captionedControls[i];
        if (control == &choiceBox)
            control->setBounds (x, g, 90, 24);
        else
            control->setBounds (x + 10, g - 5, 70, 85);
        if (effectType == 2 && control == &knobs[0])
            echoSyncButton.setBounds (x + 8, g + 85, 74, 20);
        x += s;
    }
}

void BuiltInEffectEditor::ContentLayer::lookAndFeelChanged()
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        const auto dark = juce::Colour (modern->cDark);
        const bool darkTheme = modern->isDark();
        for (auto* label : labels)
            label->setColour (juce::Label::textColourId, dark);
        for (auto& knob : knobs)
            knob.setColour (juce::Slider::textBoxTextColourId, dark);
        choiceBox.setColour (juce::ComboBox::backgroundColourId, darkTheme ? juce::Colour (0xff222222) : juce::Colours::white);
        choiceBox.setColour (juce::ComboBox::textColourId, dark);
        choiceBox.setColour (juce::ComboBox::outlineColourId, juce::Colour (darkTheme ? 0xff444444u : 0xffbdc3c7u));
        for (auto& button : typeButtons)
            button.setColour (juce::TextButton::textColourOffId, dark);
    }
    else
    {
        for (auto* label : labels)
            label->setColour (juce::Label::textColourId, juce::Colour (0xffe0e0e0));
        for (auto& knob : knobs)
            knob.setColour (juce::Slider::textBoxTextColourId, juce::Colours::white);
        choiceBox.setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff151515));
        choiceBox.setColour (juce::ComboBox::textColourId, juce::Colour (0xfffff0dd));
        choiceBox.setColour (juce::ComboBox::outlineColourId, juce::Colours::black.withAlpha (0.5f));
        for (auto& button : typeButtons)
            button.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    }
    repaint();
}

void BuiltInEffectEditor::ContentLayer::paint (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();
    const auto dark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black;

    if (modern != nullptr)
        g.fillAll (juce::Colour (modern->cBg));
    else if (background.isValid())
        g.drawImage (background, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit);

    const auto panel = panelArea();
    const int m = juce::jmin (panel.getHeight(), 40);
    const auto title = effectType == 1 || effectType == 2 ? choiceBox.getName() : faceplateTitle (effectType);
    g.setColour (modern != nullptr ? dark : juce::Colour (0xffd0c0b0));
    g.setFont (LookFonts::font ("Sans-Serif", 18.0f, juce::Font::bold));
    g.drawText (title, panel.getX(), panel.getY(), panel.getWidth(), m, juce::Justification::centred, true);

    g.setColour (dark.withAlpha ((juce::uint8)0x33));
    g.fillRect (panel.getX() + 20, panel.getY() + m, panel.getWidth() - 40, 2);

    if (effectType == 3 || effectType == 7)
        paintMeter (g, modern != nullptr, dark, modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour());
}

void BuiltInEffectEditor::ContentLayer::paintMeter (juce::Graphics& g, bool modern, juce::Colour dark, juce::Colour chassis)
{
    const auto panel = panelArea();
    const int m = juce::jmin (panel.getHeight(), 40);
    const float left = (float)(panel.getX() + panel.getWidth() / 2 - 90);
    const float top = (float)(panel.getY() + m + (panel.getHeight() - m) / 2 - 75);
    const juce::Rectangle<float> face (left, top, 180.0f, 110.0f);
    const juce::Point<float> pivot (left + 90.0f, top + 150.0f);
    const juce::Rectangle<float> housing (left - 8.0f, top - 8.0f, 196.0f, 126.0f);

    if (modern)
    {
        g.setColour (chassis);
        g.fillRoundedRectangle (housing, 4.0f);
        g.setColour (dark.withAlpha (0.2f));
        g.drawRoundedRectangle (housing, 4.0f, 1.0f);
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x99));
        g.fillRoundedRectangle (housing.translated (0.0f, 5.0f), 6.0f);
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff2a2a2a), housing.getTopLeft(), juce::Colour (0xff111111),
                                                 housing.getBottomRight(), false));
        g.fillRoundedRectangle (housing, 6.0f);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x1a));
        g.drawRoundedRectangle (housing, 6.0f, 1.0f);
        for (auto corner : {housing.getTopLeft() + juce::Point<float> (6, 6), housing.getTopRight() + juce::Point<float> (-6, 6),
                            housing.getBottomLeft() + juce::Point<float> (6, -6), housing.getBottomRight() + juce::Point<float> (-6, -6)})
        {
            g.setColour (juce::Colours::black);
            g.fillEllipse (corner.x - 3.0f, corner.y - 3.0f, 6.0f, 6.0f);
            g.setColour (juce::Colour (0xffc0c0c0).darker (0.2f));
            g.fillEllipse (corner.x - 2.0f, corner.y - 2.0f, 4.0f, 4.0f);
        }
    }

    g.setColour (juce::Colour (0xfff7f3e8));
    g.fillRoundedRectangle (face, 2.0f);
    g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha ((juce::uint8)0x66), left, top,
                                             juce::Colours::transparentBlack, left + 90.0f, top + 55.0f, true));
    g.fillRoundedRectangle (face, 2.0f);

    const auto red = juce::Colour (0xffc0392b);
    juce::Path blackArc, redArc;
    blackArc.addCentredArc (pivot.x, pivot.y, 120.0f, 120.0f, 0.0f, -0.65f, 0.4f, true);
    redArc.addCentredArc (pivot.x, pivot.y, 120.0f, 120.0f, 0.0f, 0.4f, 0.65f, true);
    g.setColour (juce::Colours::black);
    g.strokePath (blackArc, juce::PathStrokeType (1.5f));
    g.setColour (red);
    g.strokePath (redArc, juce::PathStrokeType (1.5f));

    g.setFont (LookFonts::font ("Sans-Serif", 8.5f, juce::Font::plain));
    for (const auto& mark : meterMarks)
    {
        const float a = markAngle (mark.db);
        const auto colour = mark.db >= 0.0f ? red : juce::Colours::black;
        const juce::Point<float> direction (std::sin (a), -std::cos (a));
        g.setColour (colour);
        g.drawLine (juce::Line<float> (pivot + direction * 120.0f, pivot + direction * (120.0f - mark.length)),
                    mark.db == 0.0f ? 2.0f : 1.2f);
        if (mark.text[0] != 0)
            g.drawText (mark.text, (int)(pivot.x + std::sin (a) * 106.0f) - 15, (int)(pivot.y - std::cos (a) * 106.0f) - 6,
                        30, 12, juce::Justification::centred, false);
    }

    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0xb2));
    g.setFont (LookFonts::font ("Serif", 16.0f, juce::Font::bold));
    g.drawText ("V U", juce::roundToInt (left), juce::roundToInt (top), 180, 95, juce::Justification::centredBottom, false);

    const float n = needleAngle (meterLevel);
    const auto tip = pivot + juce::Point<float> (std::sin (n), -std::cos (n)) * 124.0f;
    {
        juce::Graphics::ScopedSaveState clip (g);
        g.reduceClipRegion (face.toNearestInt());
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x33));
        g.drawLine (juce::Line<float> (pivot + juce::Point<float> (2, 2), tip + juce::Point<float> (2, 2)), 2.0f);
        g.setColour (juce::Colours::black);
        g.drawLine (juce::Line<float> (pivot, tip), 1.5f);
    }

    g.setColour (juce::Colour (0xff222222));
    g.fillRoundedRectangle (pivot.x - 25.0f, top + 95.0f, 50.0f, 30.0f, 4.0f);
    g.setColour (juce::Colour (0xffc0c0c0));
    g.fillEllipse (pivot.x - 3.0f, top + 105.0f, 6.0f, 6.0f);
}
