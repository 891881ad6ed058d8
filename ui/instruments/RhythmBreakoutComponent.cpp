#include "ui/instruments/RhythmBreakoutComponent.h"

#include "instruments/RhythmEngine.h"
#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/ModernLookAndFeel.h"

RhythmBreakoutComponent::RhythmBreakoutComponent (TavrelDelayAudioProcessor& p, InstrumentPlugin* s)
    : processor (&p), slot (s)
{
    clearButton.setButtonText (RhythmEditorIds::clearText);
    clearButton.setLookAndFeel (&buttonLook);

    auto* engine = getEngine();
    if (engine == nullptr)
        return;

    for (int row = 0; row < numVoices; ++row)
    {
        auto* label = voiceLabels.add (new juce::Label ({}, RhythmEditorIds::voiceNames[row]));
        label->setJustificationType (juce::Justification::centredRight);
        label->setColour (juce::Label::textColourId, juce::Colour (0xffd3d3d3));
        label->setFont (LookFonts::font ("Sans-Serif", 14.0f, juce::Font::bold));
        addAndMakeVisible (label);

        for (int s = 0; s < numSteps; ++s)
        {
            auto* button = stepButtons.add (new juce::TextButton());
            button->setClickingTogglesState (true);
            button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xff333333));
            button->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffe8dfd5));
            button->setColour (juce::TextButton::textColourOnId, juce::Colours::black);
            button->setLookAndFeel (&buttonLook);
            button->setToggleState (engine->steps[row][s], juce::dontSendNotification);
            button->onClick = [this, row, s] { stepClicked (row, s); };
            addAndMakeVisible (button);
        }
    }

    clearButton.onClick = [this] { clearClicked(); };
    addAndMakeVisible (clearButton);

    // Keys go to the window (Escape, Ctrl+Tab), never to a step: space must not toggle one.
    for (auto* child : getChildren())
        child->setWantsKeyboardFocus (false);
    setWantsKeyboardFocus (true);

    lookAndFeelChanged();
    startTimer (33);
}

RhythmBreakoutComponent::~RhythmBreakoutComponent()
{
    stopTimer();
    clearButton.setLookAndFeel (nullptr);
    for (auto* button : stepButtons)
        button->setLookAndFeel (nullptr);
}

RhythmEngine* RhythmBreakoutComponent::getEngine() const noexcept
{
    return slot != nullptr ? slot->rhythmEngine.get() : nullptr;
}

void RhythmBreakoutComponent::stepClicked (int row, int step)
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    e->steps[row][step] = stepButtons[row * numSteps + step]->getToggleState();
    e->rmPattern = RhythmEngine::customPattern;
    processor->unsavedChanges.exchange (true);
}

void RhythmBreakoutComponent::clearClicked()
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    for (auto& row : e->steps)
        for (auto& cell : row)
            cell = false;
    e->rmPattern = RhythmEngine::customPattern;
    processor->unsavedChanges.exchange (true);
}

void RhythmBreakoutComponent::timerCallback()
{
    auto* e = getEngine();
    if (e == nullptr)
        return;

    for (int row = 0; row < numVoices; ++row)
        for (int s = 0; s < numSteps; ++s)
        {
            auto* button = stepButtons[row * numSteps + s];
            if (button->getToggleState() != e->steps[row][s])
                button->setToggleState (e->steps[row][s], juce::dontSendNotification);
        }

    const int step = e->playing ? e->currentStep : -1;
    if (step != shownStep)
    {
        shownStep = step;
        repaint();
    }
}

void RhythmBreakoutComponent::resized()
{
    if (stepButtons.size() != numVoices * numSteps || voiceLabels.size() != numVoices)
        return;

    const int W = getWidth();
    const int H = getHeight();
    const int stepW = juce::jmin ((W - 175) / 16, 60);
    const int rowH = juce::jmin ((H - 130) / 10, 50);
    const int gridW = 16 * stepW + 165;
    const int left = (W - gridW) / 2;
    const int gridH = 10 * rowH + 45;
    const int top = (H - gridH - 45) / 2;

    for (int r = 0; r < numVoices; ++r)
    {
        const int y = top + r * (rowH + 5);
        voiceLabels[r]->setBounds (left, y, 50, rowH);
        for (int s = 0; s < numSteps; ++s)
            stepButtons[r * numSteps + s]->setBounds (left + 60 + (s / 4) * 10 + s * (stepW + 5), y, stepW, rowH);
    }

    clearButton.setBounds (left + 16 * stepW + 65, top + gridH + 15, 100, 26);
}

void RhythmBreakoutComponent::paint (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();
    g.fillAll (modern != nullptr ? juce::Colour (modern->cBg) : juce::Colour (0xff2b2b2b));

    if (stepButtons.size() != numVoices * numSteps)
        return;

    // Beats 1 and 3 shaded, as on the editor's matrix.
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x26));
    for (int first : {0, 8})
    {
        const auto from = stepButtons[first]->getBounds();
        const auto to = stepButtons[(numVoices - 1) * numSteps + first + 3]->getBounds();
        g.fillRoundedRectangle (from.getUnion (to).expanded (5).toFloat(), 6.0f);
    }
}

void RhythmBreakoutComponent::paintOverChildren (juce::Graphics& g)
{
    if (! juce::isPositiveAndBelow (shownStep, numSteps) || stepButtons.size() != numVoices * numSteps)
        return;

    auto* modern = ModernLookAndFeel::getDefault();
    const auto top = stepButtons[shownStep]->getBounds();
    const auto bottom = stepButtons[(numVoices - 1) * numSteps + shownStep]->getBounds();
    const juce::Rectangle<float> column ((float)(top.getX() - 3), (float)(top.getY() - 5), (float)(top.getWidth() + 6),
                                         (float)(bottom.getBottom() - top.getY() + 10));
    const auto colour = modern != nullptr ? juce::Colour (modern->cAccent) : juce::Colour (0xffadbdab);
    g.setColour (colour.withAlpha ((juce::uint8)0x40));
    g.fillRoundedRectangle (column, 6.0f);
    g.setColour (colour.withAlpha ((juce::uint8)0xb2));
    g.drawRoundedRectangle (column, 6.0f, 1.5f);
}

void RhythmBreakoutComponent::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void RhythmBreakoutComponent::lookAndFeelChanged()
{
    auto* modern = ModernLookAndFeel::getDefault();

    for (auto* label : voiceLabels)
        label->setColour (juce::Label::textColourId, modern != nullptr ? juce::Colour (modern->cDark) : juce::Colour (0xffd3d3d3));

    for (auto* button : stepButtons)
    {
        button->setColour (juce::TextButton::buttonColourId, modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xff333333));
        button->setColour (juce::TextButton::buttonOnColourId, modern != nullptr ? juce::Colour (modern->cAccent) : juce::Colour (0xffe8dfd5));
        button->setColour (juce::TextButton::textColourOnId, modern != nullptr ? juce::Colours::white : juce::Colours::black);
    }

    const auto clearColour = modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xff222222);
    clearButton.setColour (juce::TextButton::buttonColourId, clearColour);
    clearButton.setColour (juce::TextButton::buttonOnColourId, clearColour);
    // White text on the light theme's white face would not show: the theme's dark colour then.
    const bool lightFace = modern != nullptr && ! modern->isDark();
    clearButton.setColour (juce::TextButton::textColourOffId, lightFace ? juce::Colour (modern->cDark) : juce::Colours::white);
    repaint();
}
