// The rhythm machine's panel: layout, painting and the switch between the two looks.

#include "ui/instruments/BuiltInRhythmEditor.h"

#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/instruments/InstrumentLearnMode.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/LookImages.h"
#include "ui/looks/ModernLookAndFeel.h"

namespace
{
juce::Font sansBold (float height)
{
    return LookFonts::font ("Sans-Serif", height, juce::Font::bold);
}
} // namespace

juce::Image BuiltInRhythmEditor::loadBackground()
{
    return LookImages::instrumentBackground();
}

void BuiltInRhythmEditor::resized()
{
    const int W = getWidth();
    const int H = getHeight();

    const int titleX = (int)((float)W * 0.083333336f);
    const int titleY = (int)((float)H * 0.07723996f);
    const int titleW = (int)((float)W * 0.8411458f);
    const int panelsH = (int)((float)H * 0.84963953f);
    const int right = titleX + titleW;

    const int headerY = titleY + 10;
    presetButton.setBounds (right - 150, headerY, 130, 20);
    learnButton.setBounds (right - 250, headerY, 90, 20);
    matrixButton.setBounds (right - 320, headerY, 60, 20);
    padsButton.setBounds (right - 380, headerY, 50, 20);

    glassPane.setBounds (getLocalBounds());

    const int ph = panelsH - 145;
    patternArea = {titleX + 15, titleY + 40, (int)((float)titleW * 0.17f), ph};
    matrixArea = {patternArea.getRight() + 15, titleY + 40, (int)((float)titleW * 0.38f), ph};
    mixerArea = {matrixArea.getRight() + 15, titleY + 40, titleW - matrixArea.getWidth() - patternArea.getWidth() - 60, ph};
    masterArea = {titleX + 15, patternArea.getBottom() + 15, titleW - 30, 90};

    if (patternButtons.size() == 16)
    {
        const int C = (patternArea.getWidth() - 30) / 4;
        const int D = (patternArea.getWidth() - 4 * C) / 5;
        const int E = (patternArea.getHeight() - 164) / 5;
        for (int i = 0; i < patternButtons.size(); ++i)
            patternButtons[i]->setBounds (patternArea.getX() + (C + D) * (i % 4) + D,
                                          patternArea.getY() + 45 + E + (i / 4) * (E + 26), C, 26);
    }

    if (stepButtons.size() == numVoices * numSteps && voiceLabels.size() == numVoices)
    {
        const int A = (matrixArea.getWidth() - 50) / 4;
        const int I = (A - 64) / 5;
        const int B = (matrixArea.getHeight() - 220) / 11;
        for (int r = 0; r < numVoices; ++r)
        {
            const int y0 = matrixArea.getY() + B + r * (B + 16);
            voiceLabels[r]->setBounds (matrixArea.getX() + 5, y0 + 48, 30, 20);
            for (int s = 0; s < numSteps; ++s)
                stepButtons[r * numSteps + s]->setBounds (matrixArea.getX() + 35 + I + (s / 4) * A + (s % 4) * (I + 16),
                                                          y0 + 50, 16, 16);
        }
    }

    if (captionLabels.size() == 3 * numVoices + 4 && sampleButtons.size() == numVoices)
    {
        const int colW = mixerArea.getWidth() / 10;
        const int half = colW / 2;
        const int K = (mixerArea.getHeight() - 90) / 3;
        const int y1 = mixerArea.getY() + 55;
        const bool modern = ModernLookAndFeel::getDefault() != nullptr;

        for (int k = 0; k < numVoices; ++k)
        {
            const int cx = mixerArea.getX() + k * colW + half;
            juce::Slider* knobs[] = {&voiceLevelKnobs[k], &voiceTuneKnobs[k], &voiceLengthKnobs[k]};
            for (int j = 0; j < 3; ++j)
            {
                auto* caption = captionLabels[k * 3 + j];
                caption->setBounds (cx - half, y1 + j * K, colW, 15);
                caption->setFont (sansBold (10.0f));
                if (! modern)
                    caption->setColour (juce::Label::textColourId, juce::Colour (0xffd3d3d3));
                knobs[j]->setBounds (cx - 21, y1 + j * K + 15, 42, 42);
            }
            sampleButtons[k]->setBounds (cx - half + 2, mixerArea.getBottom() - 25, colW - 4, 18);
        }

        juce::Slider* masterKnobs[] = {&masterVolumeKnob, &tempoKnob, &stepsKnob, &swingKnob};
        for (int j = 0; j < 4; ++j)
        {
            captionLabels[3 * numVoices + j]->setBounds (masterArea.getX() + 30 + 80 * j, masterArea.getY() + 6, 70, 20);
            masterKnobs[j]->setBounds (masterArea.getX() + 42 + 80 * j, masterArea.getY() + 26, 46, 64);
        }

        const int R = masterArea.getRight();
        const int yb = masterArea.getY() + masterArea.getHeight() / 2 - 15;
        playButton.setBounds (R - 150, yb, 110, 30);
        syncButton.setBounds (R - 275, yb, 110, 30);
        clearButton.setBounds (R - 400, yb, 110, 30);
    }
}

void BuiltInRhythmEditor::paint (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();
    const auto cDark = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black;

    if (modern != nullptr)
        g.fillAll (juce::Colour (modern->cBg));
    else if (background.isValid())
        g.drawImage (background, getLocalBounds().toFloat());
    else
        g.fillAll (juce::Colour (0xff3a3633));

    const int W = getWidth();
    const int H = getHeight();
    const int titleX = (int)((float)W * 0.083333336f);
    const int titleY = (int)((float)H * 0.07723996f);
    const int titleW = (int)((float)W * 0.8411458f);
    const int titleH = juce::jmin ((int)((float)H * 0.84963953f), 35);

    g.setFont (sansBold (18.0f));
    g.setColour (modern != nullptr ? cDark : juce::Colour (0xffd0c0b0));
    g.drawText (RhythmEditorIds::editorTitle, titleX, titleY, titleW, titleH, juce::Justification::centred, true);
    g.setColour ((modern != nullptr ? cDark : juce::Colours::black).withAlpha ((juce::uint8)0x33));
    g.fillRect (titleX + 20, titleY + titleH, titleW - 40, 2);

    const juce::Rectangle<int> panels[] = {patternArea, matrixArea, mixerArea, masterArea};
    const char* titles[] = {"PATTERN SELECT", "SEQUENCE MATRIX", "MIXER CHANNELS", "MASTER CONTROL"};
    for (int i = 0; i < 4; ++i)
    {
        const auto area = panels[i];
        if (area.isEmpty())
            continue;
        juce::Colour titleColour;
        if (modern != nullptr)
        {
            g.setColour (juce::Colour (modern->cChassis1));
            g.fillRoundedRectangle (area.toFloat(), 6.0f);
            g.setColour (cDark.withAlpha ((juce::uint8)0x33));
            g.drawRoundedRectangle (area.toFloat(), 6.0f, 1.0f);
            titleColour = cDark;
        }
        else
        {
            g.setColour (juce::Colours::black.withAlpha ((juce::uint8)0x1f));
            g.fillRoundedRectangle (area.toFloat(), 6.0f);
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x14));
            g.drawRoundedRectangle (area.toFloat(), 6.0f, 1.0f);
            titleColour = juce::Colour (0xffb0b0b0);
        }
        g.setColour (titleColour);
        g.setFont (sansBold (11.0f));
        g.drawText (titles[i], area.getX(), area.getY() + 8, area.getWidth(), 20, juce::Justification::centred, false);
        g.setColour (modern != nullptr ? cDark.withAlpha ((juce::uint8)0x33) : juce::Colours::black.withAlpha ((juce::uint8)0x26));
        g.fillRect (area.getX() + 10, area.getY() + 28, area.getWidth() - 20, 1);
    }

    // Shading behind beats 1 and 3 of the matrix.
    {
        const int D = (matrixArea.getWidth() - 40) / 4;
        g.setColour (modern != nullptr ? juce::Colour (modern->cBg) : juce::Colours::black.withAlpha ((juce::uint8)0x26));
        for (int group : {0, 2})
            g.fillRoundedRectangle ((float)(matrixArea.getX() + 35 + group * D), (float)(matrixArea.getY() + 35),
                                    (float)(D - 2), (float)(matrixArea.getHeight() - 45), 6.0f);
    }

    const int colW = mixerArea.getWidth() / 10;
    for (int k = 1; k <= 9; ++k)
    {
        const int x = mixerArea.getX() + k * colW;
        const int top = mixerArea.getY() + 35;
        const int bottom = mixerArea.getBottom() - 10;
        if (bottom <= top)
            continue;
        g.setColour (cDark.withAlpha ((juce::uint8)0x33));
        g.fillRect (x, top, 1, bottom - top);
        if (modern == nullptr)
        {
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8)0x0d));
            g.fillRect (x + 1, top, 1, bottom - top);
        }
    }

    g.setFont (sansBold (13.0f));
    g.setColour (modern != nullptr ? cDark : juce::Colour (0xffe8dfd5));
    for (int k = 0; k < numVoices; ++k)
        g.drawText (RhythmEditorIds::voiceNames[k], mixerArea.getX() + k * colW, mixerArea.getY() + 32, colW, 20,
                    juce::Justification::centred, false);
}

void BuiltInRhythmEditor::paintOverChildren (juce::Graphics& g)
{
    auto* modern = ModernLookAndFeel::getDefault();

    InstrumentLearnMode::paintTargetFrame (g, processor, learnTarget, *this);

    if (juce::isPositiveAndBelow (shownStep, numSteps) && stepButtons.size() == numVoices * numSteps)
    {
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
}

void BuiltInRhythmEditor::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void BuiltInRhythmEditor::lookAndFeelChanged()
{
    if (isClosing)
        return;

    auto* modern = ModernLookAndFeel::getDefault();
    // Setting a look calls back here; the checks stop the second round.
    if (modern == nullptr && &getLookAndFeel() != &customLook)
        setLookAndFeel (&customLook);
    else if (modern != nullptr && &getLookAndFeel() == &customLook)
        setLookAndFeel (nullptr);

    const auto labelColour = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colour (0xffd3d3d3);
    for (auto* list : {&captionLabels, &voiceLabels})
        for (auto* label : *list)
            label->setColour (juce::Label::textColourId, labelColour);

    for (auto* knob : getKnobs())
        knob->setColour (juce::Slider::textBoxTextColourId, modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white);

    juce::Colour headerText = juce::Colours::black;
    if (modern != nullptr)
        headerText = modern->isDark() ? juce::Colours::white : juce::Colour (modern->cDark);
    for (auto* button : {&learnButton, &matrixButton, &padsButton})
    {
        button->setColour (juce::TextButton::textColourOffId, headerText);
        button->setColour (juce::TextButton::textColourOnId, headerText);
    }

    for (auto* button : patternButtons)
    {
        button->setColour (juce::TextButton::buttonColourId, modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xffd0c0b0));
        button->setColour (juce::TextButton::buttonOnColourId, modern != nullptr ? juce::Colour (modern->cAccent) : juce::Colour (0xff849c82));
        button->setColour (juce::TextButton::textColourOffId, modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::black);
    }

    for (auto* button : stepButtons)
    {
        button->setColour (juce::TextButton::buttonColourId, modern != nullptr ? juce::Colour (modern->cChassis1) : juce::Colour (0xff333333));
        button->setColour (juce::TextButton::buttonOnColourId, modern != nullptr ? juce::Colour (modern->cAccent) : juce::Colour (0xffe8dfd5));
        button->setColour (juce::TextButton::textColourOnId, modern != nullptr ? juce::Colours::white : juce::Colours::black);
    }

    const auto on = modern != nullptr ? juce::Colour (modern->cAccent) : juce::Colour (0xff849c82);
    syncButton.setColour (juce::TextButton::buttonOnColourId, on);
    playButton.setColour (juce::TextButton::buttonOnColourId, on);
    repaint();
}
