#include "platform/SimulatedAudioDeviceType.h"

SimulatedAudioDeviceType::SimulatedAudioDeviceType (juce::Array<SimulatedAudioDevice::Config> deviceConfigs)
    : juce::AudioIODeviceType (typeName), configs (std::move (deviceConfigs))
{
}

void SimulatedAudioDeviceType::scanForDevices() {}

juce::StringArray SimulatedAudioDeviceType::getDeviceNames (bool) const
{
    juce::StringArray names;
    for (auto& config : configs)
        names.add (config.name);
    return names;
}

int SimulatedAudioDeviceType::getDefaultDeviceIndex (bool) const
{
    return configs.isEmpty() ? -1 : 0;
}

int SimulatedAudioDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool) const
{
    if (device == nullptr)
        return -1;

    return getDeviceNames().indexOf (device->getName());
}

bool SimulatedAudioDeviceType::hasSeparateInputsAndOutputs() const
{
    return false;
}

juce::AudioIODevice* SimulatedAudioDeviceType::createDevice (const juce::String& outputDeviceName,
                                                             const juce::String& inputDeviceName)
{
    const auto& wanted = outputDeviceName.isNotEmpty() ? outputDeviceName : inputDeviceName;

    for (auto& config : configs)
        if (config.name == wanted)
            return new SimulatedAudioDevice (config);

    return nullptr;
}
