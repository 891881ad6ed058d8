#include "ui/panels/ImportPanel.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/GuardedAudioReader.h"
#include "ui/deck/FlowDialog.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/panels/ExportPanel.h"

#include <cmath>

ImportPanel::ImportPanel (TavrelDelayAudioProcessor& processorToUse, const juce::String& path,
                          std::function<void()> closeCallback)
    : processor (processorToUse), filePath (path), onClose (std::move (closeCallback))
{
    const auto* modern = ModernLookAndFeel::getDefault();
    const auto labelColour =
        modern != nullptr ? juce::Colour (modern->cDark).withAlpha (0.8f) : juce::Colour (0xff808080);
    const auto fileColour = modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white;

    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();

        if (const auto reader = GuardedAudioReader::open (formats, juce::File (filePath)))
            numChannels = juce::jmax (1, (int)reader->numChannels);
    }

    const auto file = juce::File::isAbsolutePath (filePath) ? juce::File (filePath).getFileName() : filePath;

    const std::pair<juce::Label*, juce::String> labels[] = {{&fileLabel, "FILE: " + file},
                                                            {&targetLabel, "TARGET TRACK"},
                                                            {&insertLabel, "INSERT TIME"},
                                                            {&modeLabel, "IMPORT MODE"},
                                                            {&driveLabel, "INPUT DRIVE (SATURATION)"}};

    for (const auto& [label, text] : labels)
    {
        label->setText (text, juce::dontSendNotification);
        label->setFont (juce::Font (12.0f, juce::Font::plain));
        label->setColour (juce::Label::textColourId, labelColour);
    }

    fileLabel.setColour (juce::Label::textColourId, fileColour);
    addAndMakeVisible (fileLabel);
    addAndMakeVisible (targetLabel);
    addAndMakeVisible (targetBox);

    if (numChannels > 1)
    {
        addAndMakeVisible (modeLabel);
        modeBox.addItem ("Mono Mixdown (Sum)", modeMono);
        modeBox.addItem ("Split Stereo (L+R)", modeSplit);
        modeBox.setSelectedId (modeMono, juce::dontSendNotification);
        modeBox.onChange = [this] { fillTrackList(); };
        addAndMakeVisible (modeBox);
    }

    fillTrackList();

    addAndMakeVisible (insertLabel);
    insertSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    insertSlider.setRange (0.0, 600.0, 1.0);
    insertSlider.textFromValueFunction = [] (double value) { return timeToText (value); };
    insertSlider.valueFromTextFunction = [] (const juce::String& text) { return textToTime (text); };
    // The counter time of the tape where the file was dropped; never before the tape's start.
    const auto& reference = processor.tracks.front();
    insertSlider.setValue (juce::jmax (0.0, reference.getPositionSeconds() - processor.zeroOffset.load()),
                           juce::dontSendNotification);
    insertSlider.updateText();
    addAndMakeVisible (insertSlider);

    addAndMakeVisible (driveLabel);
    driveSlider.setSliderStyle (juce::Slider::LinearHorizontal);
    driveSlider.setRange (-60.0, 24.0, 0.1);
    driveSlider.setValue (0.0, juce::dontSendNotification);
    driveSlider.setTextValueSuffix (" dB");

    if (modern == nullptr)
    {
        driveSlider.setColour (juce::Slider::trackColourId, juce::Colour (0xffd35400));

        // The grooves show on the dark card.
        for (auto* slider : {&insertSlider, &driveSlider})
            slider->setColour (juce::Slider::backgroundColourId, juce::Colour (0xff4a4a4a));
    }

    addAndMakeVisible (driveSlider);

    const std::pair<juce::TextButton*, const char*> buttons[] = {{&printButton, "PRINT TO TAPE"},
                                                                 {&cancelButton, "CANCEL"}};

    for (auto [button, text] : buttons)
    {
        button->setButtonText (text);

        if (modern == nullptr)
        {
            button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
            button->setColour (juce::TextButton::textColourOffId, juce::Colours::black);
            button->setColour (juce::TextButton::textColourOnId, juce::Colours::black);
            button->setLookAndFeel (&buttonLook);
        }

        addAndMakeVisible (*button);
    }

    printButton.onClick = [this] { printToTape(); };
    cancelButton.onClick = [this] { close(); };

    if (const auto* theme = ModernLookAndFeel::getDefault())
    {
        for (auto* slider : {&insertSlider, &driveSlider})
        {
            slider->setColour (juce::Slider::backgroundColourId, juce::Colour (theme->cDark).withAlpha (0.2f));
            slider->setColour (juce::Slider::trackColourId, juce::Colour (theme->cAccent));
            slider->setColour (juce::Slider::thumbColourId, juce::Colour (theme->cAccent));
            slider->setLookAndFeel (&sliderLook);
        }
    }

    setSize (350, numChannels > 1 ? 480 : 420);
}

ImportPanel::~ImportPanel()
{
    for (auto* slider : {&insertSlider, &driveSlider})
        slider->setLookAndFeel (nullptr);

    printButton.setLookAndFeel (nullptr);
    cancelButton.setLookAndFeel (nullptr);
}

bool ImportPanel::isPairMode() const
{
    return numChannels > 1 && modeBox.getSelectedId() == modeSplit;
}

void ImportPanel::fillTrackList()
{
    auto chosen = targetBox.getSelectedId();

    if (chosen == 0)
        chosen = 1;

    targetBox.clear (juce::dontSendNotification);

    const auto n = juce::jmin (processor.numTracks, (int)processor.tracks.size());
    const auto pairs = isPairMode();

    for (int c = 1; c <= n; ++c)
    {
        if (! pairs)
            targetBox.addItem (ExportPanel::trackLabel (processor, c), c);
        else if (c < n)
            targetBox.addItem (
                ExportPanel::trackLabel (processor, c) + " & " + ExportPanel::trackLabel (processor, c + 1), c);
    }

    if (chosen < 1 || chosen > n)
        return;

    if (pairs && chosen == n)
        chosen = n - 1;

    targetBox.setSelectedId (chosen, juce::dontSendNotification);
}

juce::String ImportPanel::timeToText (double seconds)
{
    const auto s = (int)seconds;
    return juce::String::formatted ("%02d:%02d", s / 60, s % 60);
}

double ImportPanel::textToTime (const juce::String& text)
{
    const auto colon = text.indexOfChar (':');
    const auto minutes = (colon < 0 ? text : text.substring (0, colon)).getIntValue();
    const auto seconds = colon < 0 ? 0 : text.substring (colon + 1).getIntValue();
    return minutes * 60.0 + seconds;
}

float ImportPanel::driveFactor (double decibels) noexcept
{
    return decibels <= -100.0 ? 0.0f : (float)std::pow (10.0, decibels / 20.0);
}

void ImportPanel::printToTape()
{
    const auto track = targetBox.getSelectedId() - 1;

    if (track >= 0)
    {
        const auto split = isPairMode();
        const auto result = processor.importAudioToTrack (juce::File (filePath), track, insertSlider.getValue(), split,
                                                          driveFactor (driveSlider.getValue()), 1.0f, false);

        if (result.failed())
            FlowDialog::notify ("Import Failed", result.getErrorMessage(), 2);
    }

    close();
}

void ImportPanel::close()
{
    if (auto callback = onClose)
        callback();
}

void ImportPanel::paint (juce::Graphics& g)
{
    const auto titleArea = juce::Rectangle<int> (0, 15, getWidth(), 20);
    g.setFont (juce::Font (18.0f));

    if (const auto* modern = ModernLookAndFeel::getDefault())
    {
        const auto dark = juce::Colour (modern->cDark);
        g.fillAll (juce::Colour (modern->cChassis1));
        g.setColour (dark.withAlpha (0.2f));
        g.drawRect (getLocalBounds(), 2);
        g.setColour (dark);
        g.drawText (title, titleArea, juce::Justification::centred, true);
        return;
    }

    const auto orange = juce::Colour (0xffffa500);
    g.fillAll (juce::Colour (0xff222222));
    g.setColour (orange);
    g.drawRect (getLocalBounds(), 2);
    g.drawText (title, titleArea, juce::Justification::centred, true);
}

void ImportPanel::resized()
{
    auto area = getLocalBounds().reduced (20);
    auto buttons = area.removeFromBottom (35);
    cancelButton.setBounds (buttons.removeFromLeft (100));
    buttons.removeFromLeft (20);
    printButton.setBounds (buttons);

    // The rows are laid out in the whole inset area, from its top; the buttons sit over the
    // bottom of it.
    area = getLocalBounds().reduced (20);
    const auto row = [&area] (juce::Component& component, int height)
    { component.setBounds (area.removeFromTop (juce::jmin (height, area.getHeight()))); };
    const auto gap = [&area] (int height) { area.removeFromTop (juce::jmin (height, area.getHeight())); };

    gap (25);
    row (fileLabel, 25);
    gap (10);
    row (targetLabel, 20);
    row (targetBox, 25);
    gap (10);

    if (numChannels > 1)
    {
        row (modeLabel, 20);
        row (modeBox, 25);
        gap (10);
    }

    row (insertLabel, 20);
    row (insertSlider, 25);
    gap (10);
    row (driveLabel, 20);
    row (driveSlider, 25);
}
