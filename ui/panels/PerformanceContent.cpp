#include "ui/panels/PerformanceContent.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/looks/ModernLookAndFeel.h"

PerformanceContent::PerformanceContent (TavrelDelayAudioProcessor& p) : processor (p)
{
    for (auto* label : {&loadLabel, &memoryLabel, &pluginsLabel, &reelInfoLabel})
    {
        label->setJustificationType (juce::Justification::centredLeft);
        label->setFont (juce::Font ("sans-serif", 14.0f, juce::Font::bold));
        label->setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        addAndMakeVisible (*label);
    }

    setSize (340, 150);
    startTimer (250);
    refresh();
}

PerformanceContent::~PerformanceContent()
{
    stopTimer();
}

juce::String PerformanceContent::loadText (float loadPercent)
{
    return "Audio DSP Load: " + juce::String (loadPercent, 1) + "%";
}

juce::Colour PerformanceContent::loadColour (float loadPercent, juce::Colour mainColour)
{
    if (loadPercent > 80.0f)
        return juce::Colours::red;

    if (loadPercent > 50.0f)
        return juce::Colour (0xffffa500);

    return mainColour;
}

double PerformanceContent::memoryMegabytes (int numTracks, int firstTrackSamples, double sampleRate)
{
    const double rate = sampleRate > 0.0 ? sampleRate : 44100.0;
    const double seconds = numTracks > 0 && firstTrackSamples > 0 ? firstTrackSamples / rate : 600.0;
    return numTracks * seconds * rate * 4.0 / 1048576.0;
}

juce::String PerformanceContent::memoryText (int numTracks, int firstTrackSamples, double sampleRate)
{
    return "DAW Memory Footprint: ~" + juce::String (memoryMegabytes (numTracks, firstTrackSamples, sampleRate), 1) +
           " MB";
}

juce::String PerformanceContent::sessionText (int numTracks, double sampleRate, int blockSize)
{
    return "Session: " + juce::String (numTracks) + " Tracks  |  " + juce::String (sampleRate / 1000.0, 1) + "kHz / " +
           juce::String (blockSize) + " smp";
}

void PerformanceContent::refresh()
{
    juce::Colour main (juce::Colours::white), second (0xffd3d3d3), third (0xff808080);

    if (const auto* modern = ModernLookAndFeel::getDefault())
    {
        main = juce::Colour (modern->cDark);
        second = main.withAlpha ((juce::uint8)204);
        third = main.withAlpha ((juce::uint8)153);
    }

    const auto load = processor.cpuLoadPercent.load();
    loadLabel.setText (loadText (load), juce::dontSendNotification);
    loadLabel.setColour (juce::Label::textColourId, loadColour (load, main));

    const int numTracks = (int)processor.tracks.size();
    const int firstSamples = numTracks > 0 ? processor.tracks.front().getAudio().getNumSamples() : 0;
    memoryLabel.setText (memoryText (numTracks, firstSamples, processor.getSampleRate()), juce::dontSendNotification);
    memoryLabel.setColour (juce::Label::textColourId, second);

    // Only the sizes of the slot lists are read; they change on this thread alone.
    const auto slots = processor.instruments.size() + processor.inputInserts.size() + processor.trackInserts.size() +
                       processor.masterInserts.size() + (processor.aux1Plugin != nullptr ? 1u : 0u) +
                       (processor.aux2Plugin != nullptr ? 1u : 0u);
    pluginsLabel.setText ("Active Plugins/Synths: " + juce::String ((int)slots), juce::dontSendNotification);
    pluginsLabel.setColour (juce::Label::textColourId, second);

    reelInfoLabel.setText (sessionText (numTracks, processor.getSampleRate(), processor.getBlockSize()),
                           juce::dontSendNotification);
    reelInfoLabel.setColour (juce::Label::textColourId, third);

    repaint();
}

void PerformanceContent::timerCallback()
{
    refresh();
}

void PerformanceContent::paint (juce::Graphics& g)
{
    if (const auto* modern = ModernLookAndFeel::getDefault())
        g.fillAll (juce::Colour (modern->cChassis1));
    else
        g.fillAll (juce::Colour (0xff222222));
}

void PerformanceContent::resized()
{
    auto area = getLocalBounds().reduced (20, 15);
    loadLabel.setBounds (area.removeFromTop (25));
    area.removeFromTop (10);
    memoryLabel.setBounds (area.removeFromTop (25));
    pluginsLabel.setBounds (area.removeFromTop (25));
    area.removeFromTop (10);
    reelInfoLabel.setBounds (area.removeFromTop (25));
}
