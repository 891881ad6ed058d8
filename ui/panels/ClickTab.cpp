#include "ui/panels/ClickTab.h"

#include "engine/ClickTrackRenderer.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/panels/SettingsPanelTexts.h"

namespace
{
constexpr int numerators[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 12};

void setUpLabel (juce::Component& page, juce::Label& label, const juce::String& text)
{
    label.setText (text, juce::dontSendNotification);
    label.setFont (juce::Font (12.0f));
    label.setColour (juce::Label::textColourId, juce::Colour (0xff808080));
    // "VOLUME" must fit its 40 px: no inner margin, squeezed rather than cut.
    label.setBorderSize ({});
    label.setMinimumHorizontalScale (0.7f);
    page.addAndMakeVisible (label);
}

void setUpSlider (juce::Component& page, juce::Slider& slider, double minimum, double maximum, double value)
{
    slider.setSliderStyle (juce::Slider::LinearHorizontal);
    slider.setRange (minimum, maximum, 0.01);
    slider.setValue (value, juce::dontSendNotification);
    slider.setTextValueSuffix ({});
    slider.setColour (juce::Slider::trackColourId, juce::Colour (0xff222222));
    page.addAndMakeVisible (slider);
}
} // namespace

ClickTab::ClickTab (TavrelDelayAudioProcessor& processorToUse) : processor (processorToUse)
{
    namespace T = SettingsPanelTexts;

    setUpLabel (*this, bpmLabel, T::bpmLabel);
    setUpLabel (*this, volumeLabel, T::volumeLabel);
    setUpLabel (*this, signatureLabel, T::signatureLabel);

    const double bpm = processor.bpm.load();
    setUpSlider (*this, bpmSlider, 40.0, 240.0, bpm > 0.0 ? bpm : 120.0);
    setUpSlider (*this, volumeSlider, 0.0, 1.0, 0.5);
    if (processor.parameters.getParameter (ParameterIds::CLICK_VOL) != nullptr)
        volumeAttachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (
            processor.parameters, ParameterIds::CLICK_VOL, volumeSlider);

    for (int i = 0; i < (int)std::size (numerators); ++i)
        numeratorBox.addItem (juce::String (numerators[i]), i + 1);

    // A reel may carry a numerator the list lacks: it is shown as it is rather than replaced
    // by 4 at the next change of the page.
    const int numerator = processor.timeSigNumerator.load();
    int numeratorId = 4;
    for (int i = 0; i < (int)std::size (numerators); ++i)
        if (numerators[i] == numerator)
            numeratorId = i + 1;
    if (numerator >= 1 && numerators[numeratorId - 1] != numerator)
    {
        numeratorBox.addItem (juce::String (numerator), otherNumeratorId);
        numeratorId = otherNumeratorId;
    }
    numeratorBox.setSelectedId (numeratorId, juce::dontSendNotification);

    denominatorBox.addItem ("/ 2", 1);
    denominatorBox.addItem ("/ 4", 2);
    denominatorBox.addItem ("/ 8", 3);
    denominatorBox.addItem ("/ 16", 4);
    const int denominator = processor.timeSigDenominator.load();
    denominatorBox.setSelectedId (denominator == 2 ? 1 : denominator == 8 ? 3 : denominator == 16 ? 4 : 2,
                                  juce::dontSendNotification);

    subdivisionBox.addItem ("No Subdiv", 1);
    subdivisionBox.addItem ("1/8 Notes", 2);
    subdivisionBox.addItem ("1/16 Notes", 3);
    subdivisionBox.setSelectedId (1, juce::dontSendNotification);

    for (auto* box : {&numeratorBox, &denominatorBox, &subdivisionBox})
    {
        box->onChange = [this] { sendTempoToProcessor(); };
        addAndMakeVisible (*box);
    }
    bpmSlider.onValueChange = [this] { sendTempoToProcessor(); };
    sliderLook.applyTo (bpmSlider);
    sliderLook.applyTo (volumeSlider);
}

ClickTab::~ClickTab()
{
    bpmSlider.setLookAndFeel (nullptr);
    volumeSlider.setLookAndFeel (nullptr);
}

void ClickTab::sendTempoToProcessor()
{
    const bool clickOn = processor.clickTrack != nullptr;

    const double bpm = bpmSlider.getValue();
    const int numerator = numeratorBox.getText().getIntValue();
    constexpr int denominators[] = {0, 2, 4, 8, 16};
    const int denominatorId = denominatorBox.getSelectedId();
    const int denominator = juce::isPositiveAndBelow (denominatorId, (int)std::size (denominators))
                                ? denominators[denominatorId]
                                : 0;
    const int subdivision = juce::jmax (0, subdivisionBox.getSelectedId() - 1);

    processor.setTempo (bpm, numerator, denominator);

    // The render divides by the bar and the beat: an empty box must never reach it as 0.
    if (clickOn)
    {
        const auto tempo = ClickTrackRenderer::clampTempo (bpm, numerator, denominator);
        processor.renderClickTrack (tempo.bpm, tempo.beatsPerBar, tempo.beatUnit, subdivision);
    }
}

void ClickTab::resized()
{
    const int a = (getWidth() - 280) / 2;
    bpmLabel.setBounds (a, 40, 40, 25);
    bpmSlider.setBounds (a + 50, 40, 230, 25);
    volumeLabel.setBounds (a, 80, 40, 25);
    volumeSlider.setBounds (a + 50, 80, 230, 25);
    signatureLabel.setBounds (a, 120, 80, 25);
    numeratorBox.setBounds (a + 90, 120, 60, 25);
    denominatorBox.setBounds (a + 160, 120, 60, 25);
    subdivisionBox.setBounds (a, 160, 280, 25);
}
