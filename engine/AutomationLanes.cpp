#include "engine/AutomationLanes.h"

#include "engine/ParameterIds.h"

#include <cmath>

bool AutomationLanes::create (juce::AudioBuffer<float>& lanes, juce::AudioProcessorValueTreeState& parameters)
{
    lanes.setSize (numChannels, numRows);

    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* parameter = parameters.getParameter (ParameterIds::forChannelVolume (channel));
        fillLane (lanes, channel, parameter != nullptr ? parameter->getValue() : 0.0f);
    }

    return true;
}

void AutomationLanes::fillLane (juce::AudioBuffer<float>& lanes, int channel, float value) noexcept
{
    if (channel < 0 || channel >= lanes.getNumChannels())
        return;

    juce::FloatVectorOperations::fill (lanes.getWritePointer (channel), value, lanes.getNumSamples());
    lanes.setNotClear();
}

int AutomationLanes::getRow (double secondsSinceZero, int laneLength) noexcept
{
    if (laneLength <= 0 || ! std::isfinite (secondsSinceZero))
        return 0;

    const auto rows = juce::jlimit (0.0, (double)(laneLength - 1), secondsSinceZero * rowsPerSecond);
    return (int)rows;
}

int AutomationLanes::getStep (bool rolling, double tapeSpeed, int bufferLength, double sampleRate) noexcept
{
    if (! rolling || ! (sampleRate > 0.0) || ! std::isfinite (tapeSpeed))
        return 1;

    const auto rowsPassed = std::abs (tapeSpeed) * bufferLength / sampleRate * rowsPerSecond;
    return 2 + (int)juce::jlimit (0.0, (double)numRows, rowsPassed);
}

void AutomationLanes::writeRows (juce::AudioBuffer<float>& lanes, int channel, float value, int row, int step,
                                 bool forward) noexcept
{
    if (channel < 0 || channel >= lanes.getNumChannels())
        return;

    auto* lane = lanes.getWritePointer (channel);
    const auto length = lanes.getNumSamples();

    for (int k = 0; k < step; ++k)
    {
        const auto r = forward ? row + k : row - k;

        if (r >= 0 && r < length)
            lane[r] = value;
    }

    lanes.setNotClear();
}
