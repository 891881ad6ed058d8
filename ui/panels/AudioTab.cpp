#include "ui/panels/AudioTab.h"

#include "app/SafeAudioSetupWindow.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/panels/SettingsPanelTexts.h"

namespace T = SettingsPanelTexts;

AudioTab::AudioTab (TavrelDelayAudioProcessor& processorToUse, juce::LookAndFeel& lookToUse, bool minimal)
    : processor (processorToUse), look (lookToUse), minimalUI (minimal)
{
    auto* modern = dynamic_cast<ModernLookAndFeel*> (&look);
    const auto textColour = minimalUI && modern != nullptr ? juce::Colour (modern->cDark) : juce::Colours::white;

    addCentredLabel (statusHeader, T::statusHeader);
    statusHeader.setFont (juce::Font (16.0f, juce::Font::bold));
    statusHeader.setColour (juce::Label::textColourId, textColour);

    addCentredLabel (statusText, T::statusChecking);
    statusText.setFont (juce::Font (juce::Font::getDefaultMonospacedFontName(), 16.0f, juce::Font::bold));
    statusText.setColour (juce::Label::textColourId, textColour.withAlpha (0.9f));

    addCentredLabel (warning, T::rateWarning);
    warning.setFont (juce::Font (13.0f, juce::Font::bold));
    warning.setColour (juce::Label::textColourId, juce::Colour (0xffff0000));

    configureButton.setButtonText (T::configureButton);
    if (! minimalUI)
    {
        configureButton.setColour (juce::TextButton::buttonColourId, juce::Colour (0xffd0c0b0));
        configureButton.setColour (juce::TextButton::textColourOffId, juce::Colours::black);
        configureButton.setLookAndFeel (&buttonLook);
    }
    // Each press opens another window; the window owns and deletes itself.
    configureButton.onClick = [this] { new SafeAudioSetupWindow (&processor, &look, minimalUI); };
    addAndMakeVisible (configureButton);

    updateDeviceStatus();
    startTimer (500);
}

AudioTab::~AudioTab()
{
    stopTimer();
    configureButton.setLookAndFeel (nullptr);
}

void AudioTab::addCentredLabel (juce::Label& label, const juce::String& text)
{
    label.setText (text, juce::dontSendNotification);
    label.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (label);
}

juce::String AudioTab::describeDevice (juce::AudioDeviceManager* manager)
{
    auto* device = manager != nullptr ? manager->getCurrentAudioDevice() : nullptr;
    if (device == nullptr)
        return T::noDevice;

    const auto setup = manager->getAudioDeviceSetup();
    const auto nameOf = [] (const juce::String& name) { return name.isEmpty() ? juce::String (T::noDeviceName) : name; };
    const double rate = setup.sampleRate;
    const auto latency = rate > 0.0 ? juce::String (setup.bufferSize * 1000.0 / rate, 1) : juce::String ("0.0");

    return "INPUT:   " + nameOf (setup.inputDeviceName) + " ("
           + juce::String (device->getActiveInputChannels().countNumberOfSetBits()) + " ch)\n"
           + "OUTPUT:  " + nameOf (setup.outputDeviceName) + " ("
           + juce::String (device->getActiveOutputChannels().countNumberOfSetBits()) + " ch)\n"
           + "RATE:    " + juce::String ((juce::int64)rate) + " Hz\n"
           + "BUFFER:  " + juce::String (setup.bufferSize) + " Samples (" + latency + "ms)";
}

void AudioTab::updateDeviceStatus()
{
    const auto text = describeDevice (processor.deviceManager);
    if (text != statusText.getText())
        statusText.setText (text, juce::dontSendNotification);
}

void AudioTab::timerCallback()
{
    updateDeviceStatus();
}

void AudioTab::resized()
{
    auto area = getLocalBounds().reduced (20);
    statusHeader.setBounds (area.removeFromTop (30));
    statusText.setBounds (area.removeFromTop (110));
    area.removeFromTop (10);
    configureButton.setBounds (area.removeFromTop (40).reduced (40, 0));
    area.removeFromTop (20);
    warning.setBounds (area.removeFromTop (50));
}
