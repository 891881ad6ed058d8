#pragma once

#include "platform/SimulatedAudioDevice.h"

/** A device type offering simulated devices (see SimulatedAudioDevice), one per configuration.
    Register it with AudioDeviceManager::addAudioDeviceType and select it by typeName. */
class SimulatedAudioDeviceType : public juce::AudioIODeviceType
{
public:
    static constexpr const char* typeName = "Simulated";

    explicit SimulatedAudioDeviceType (juce::Array<SimulatedAudioDevice::Config> deviceConfigs);

    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames = false) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName, const juce::String& inputDeviceName) override;

private:
    juce::Array<SimulatedAudioDevice::Config> configs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedAudioDeviceType)
};
