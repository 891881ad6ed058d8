#include "ui/instruments/InstrumentEditorBase.h"

#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

void InstrumentEditorBase::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void InstrumentEditorBase::lookAndFeelChanged()
{
    if (isClosing)
        return;

    auto* modern = ModernLookAndFeel::getDefault();

    // Setting a look tells every child again, so only when it changes.
    juce::LookAndFeel* wanted = modern != nullptr ? (juce::LookAndFeel*)modern : &customLook;
    if (&getLookAndFeel() != wanted)
        setLookAndFeel (modern != nullptr ? nullptr : &customLook);

    const auto dark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colour();
    const bool darkTheme = modern != nullptr && modern->isDark();

    const auto captionColour = modern != nullptr ? dark : juce::Colour (0xffe0e0e0);
    for (auto* caption : captionLabels)
        caption->setColour (juce::Label::textColourId, captionColour);

    const auto knobTextColour = modern != nullptr ? dark : juce::Colours::white;
    for (auto* child : getChildren())
        if (auto* knob = dynamic_cast<juce::Slider*> (child))
            knob->setColour (juce::Slider::textBoxTextColourId, knobTextColour);

    const auto buttonTextColour = modern == nullptr ? juce::Colours::black : darkTheme ? juce::Colours::white : dark;
    for (auto* button : {&learnButton, &kbdButton})
    {
        button->setColour (juce::TextButton::textColourOffId, buttonTextColour);
        button->setColour (juce::TextButton::textColourOnId, buttonTextColour);
    }

    for (auto* box : choices)
    {
        if (modern != nullptr)
        {
            box->setColour (juce::ComboBox::backgroundColourId,
                            darkTheme ? juce::Colour (0xff222222) : juce::Colours::white);
            box->setColour (juce::ComboBox::textColourId, dark);
            box->setColour (juce::ComboBox::outlineColourId, juce::Colour (darkTheme ? 0xff444444u : 0xffbdc3c7u));
        }
        else
        {
            box->setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff151515));
            box->setColour (juce::ComboBox::textColourId, juce::Colour (0xfffff0dd));
            box->setColour (juce::ComboBox::outlineColourId, juce::Colours::black.withAlpha ((juce::uint8)128));
        }
    }

    repaint();
}

//==============================================================================
int InstrumentEditorBase::panelWidth() const
{
    return (int)((float)getWidth() * face.widthShare);
}

int InstrumentEditorBase::panelLeft() const
{
    return (int)((float)getWidth() * face.leftShare);
}

void InstrumentEditorBase::paintFace (juce::Graphics& g) const
{
    const int c = panelWidth(), d = panelLeft();
    auto* modern = ModernLookAndFeel::getDefault();

    if (modern != nullptr)
        g.fillAll (juce::Colour (modern->cBg));
    else if (background.isValid())
        // The keyboard strip covers the rest when the editor is taller.
        g.drawImage (background, juce::Rectangle<int> (0, 0, getWidth(), panelHeight).toFloat(),
                     juce::RectanglePlacement::stretchToFit);

    const auto dark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black;
    g.setColour (modern != nullptr ? dark : juce::Colour (0xffd0c0b0));
    g.setFont (LookFonts::font ("Sans-Serif", 18.0f, juce::Font::bold));
    g.drawText (face.title, d, 42, c, 40, juce::Justification::centred, true);

    g.setColour (dark.withAlpha ((juce::uint8)51));
    g.fillRect (d + 20, 82, c - 40, 2);
}

void InstrumentEditorBase::paintSection (juce::Graphics& g, juce::Rectangle<int> area, const juce::String& title) const
{
    auto* modern = ModernLookAndFeel::getDefault();
    const auto panel = area.toFloat();

    if (modern != nullptr)
    {
        g.setColour (juce::Colour (modern->cChassis1));
        g.fillRoundedRectangle (panel, 6.0f);
        g.setColour (juce::Colour (modern->cDark).withAlpha ((juce::uint8)51));
        g.drawRoundedRectangle (panel, 6.0f, 1.0f);
        g.setColour (juce::Colour (modern->cDark));
    }
    else
    {
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8)31));
        g.fillRoundedRectangle (panel, 6.0f);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8)20));
        g.drawRoundedRectangle (panel, 6.0f, 1.0f);
        g.setColour (juce::Colour (0xffb0b0b0));
    }

    g.setFont (LookFonts::font ("Sans-Serif", 12.0f, juce::Font::bold));
    g.drawText (title, area.getX(), area.getY() + 10, area.getWidth(), 20, juce::Justification::centred, true);
}

void InstrumentEditorBase::paintGroove (juce::Graphics& g, int x, int y, int width, int darkHeight) const
{
    if (auto* modern = ModernLookAndFeel::getDefault())
    {
        g.setColour (juce::Colour (modern->cDark).withAlpha ((juce::uint8)51));
        g.fillRect (x, y, width, 1);
        return;
    }

    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)38));
    g.fillRect (x, y, width, darkHeight);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8)13));
    g.fillRect (x, y + darkHeight, width, 1);
}

//==============================================================================
void InstrumentEditorBase::layOutHeader (int c, int d)
{
    presetButton.setBounds (c + d - 150, 52, 130, 20);
    learnButton.setBounds (c + d - 250, 52, 90, 20);
    kbdButton.setBounds (c + d - 310, 52, 50, 20);
    glassPane.setBounds (getLocalBounds());

    if (keyboard != nullptr)
        keyboard->setBounds (0, getHeight() - keyboardHeight, getWidth(), keyboardHeight);
}

void InstrumentEditorBase::placeCaption (const juce::Component& control, juce::Rectangle<int> bounds)
{
    if (auto* caption = findCaption (control))
        caption->setBounds (bounds);
}

void InstrumentEditorBase::layOutKnobsInSteps (juce::Rectangle<int> section, int rowOffset,
                                               std::initializer_list<const char*> ids)
{
    const float step = (float)section.getWidth() / (float)(ids.size() + 1);
    const int y = section.getY() + rowOffset;
    int k = 1;

    for (const auto* id : ids)
    {
        const int centre = section.getX() + (int)((float)k++ * step);
        if (auto* knob = findKnob (id))
        {
            knob->setBounds (centre - 29, y, 58, 74);
            placeCaption (*knob, {centre - 50, y - 20, 100, 20});
        }
    }
}

void InstrumentEditorBase::layOutKnobsInCells (juce::Rectangle<int> section, int rowOffset,
                                               std::initializer_list<const char*> ids)
{
    const float cell = (float)section.getWidth() / (float)ids.size();
    const int half = (int)(cell * -0.5f);
    const int y = section.getY() + rowOffset;
    int k = 0;

    for (const auto* id : ids)
    {
        const int left = section.getX() + (int)((float)k++ * cell);
        if (auto* knob = findKnob (id))
        {
            knob->setBounds (left - half - 25, y, 50, 66);
            placeCaption (*knob, {left, y - 20, (int)cell, 20});
        }
    }
}

void InstrumentEditorBase::layOutChoicesInCells (juce::Rectangle<int> section, std::initializer_list<const char*> ids)
{
    const float cell = (float)section.getWidth() / (float)ids.size();
    const int half = (int)(cell * -0.5f);
    int k = 0;

    for (const auto* id : ids)
    {
        const int left = section.getX() + (int)((float)k++ * cell);
        if (auto* box = findChoice (id))
        {
            box->setBounds (left - half - 43, section.getY() + 50, 86, 24);
            placeCaption (*box, {left, section.getY() + 30, (int)cell, 20});
        }
    }
}

void InstrumentEditorBase::placeChoice (const char* id, int x, int y)
{
    if (auto* box = findChoice (id))
    {
        box->setBounds (x, y, 100, 24);
        placeCaption (*box, {x, y - 20, 100, 20});
    }
}
