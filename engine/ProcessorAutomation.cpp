// Fader automation and groups: the lanes, the block callback's group and automation step,
// and the console's side of the hand-over of fader values.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "storage/AutomationXml.h"

static_assert (AutomationLanes::numChannels == TavrelDelayAudioProcessor::numChannels);
static_assert (AutomationLanes::numRows == TavrelDelayAudioProcessor::automationPoints);
static_assert (AutomationLanes::rowsPerSecond == TavrelDelayAudioProcessor::automationPointsPerSecond);

void TavrelDelayAudioProcessor::clearAutomation (int channel)
{
    const juce::ScopedLock lock (automationLock);

    if (channel < 0 || channel >= numChannels)
        return;

    AutomationLanes::fillLane (automationData, channel, getChannelVolume (channel));
    automationLatched[(size_t)channel] = false;
}

void TavrelDelayAudioProcessor::resetAutomation()
{
    const juce::ScopedLock lock (automationLock);

    automationData.clear();

    for (size_t channel = 0; channel < (size_t)numChannels; ++channel)
    {
        automationModes[channel] = automationOff;
        faderTouched[channel] = false;
        automationLatched[channel] = false;
    }
}

std::unique_ptr<juce::XmlElement> TavrelDelayAudioProcessor::createAutomationXml()
{
    // Built without the lock: a lane row torn by a concurrent write is one point of one pass,
    // while holding the lock through megabytes of text would stall automation playback.
    return AutomationXml::create (automationData, automationModes, numTracks);
}

void TavrelDelayAudioProcessor::restoreAutomation (const juce::XmlElement& automation)
{
    // Decode first, outside the lock; the lock is held only while the lanes are copied.
    const auto channels = AutomationXml::decodeAll (automation);
    resetAutomation();

    const juce::ScopedLock lock (automationLock);
    for (const auto& channel : channels)
        AutomationXml::applyChannel (channel, automationData, automationModes);
}

//==============================================================================
void TavrelDelayAudioProcessor::writeAutomationRows (int channel, float value, int row, int step, bool forward) noexcept
{
    AutomationLanes::writeRows (automationData, channel, value, row, step, forward);
}

void TavrelDelayAudioProcessor::applyGroupFadersAndAutomation (int bufferLength) noexcept
{
    const juce::ScopedTryLock lock (automationLock);

    if (! lock.isLocked() || automationData.getNumSamples() <= 0)
        return;

    const auto exists = [this] (int channel) { return AutomationLanes::channelExists (channel, numTracks); };
    const auto value = [this] (int channel) { return channelVolumeValues[(size_t)channel]->getValue(); };
    auto& last = groupFaderBaseline;

    // Baselines on the first block after preparation.
    if (! groupBaselineReady)
    {
        for (int c = 0; c < numChannels; ++c)
            if (channelVolumeValues[(size_t)c] != nullptr)
                last[(size_t)c] = value (c);

        groupBaselineReady = true;
    }

    const auto groupOf = [this] (int channel)
    {
        const int group = channelGroups[(size_t)channel];
        return isGroupActive (group) ? group : 0;
    };

    const auto anyTouchedIn = [this] (int group, bool existingOnly)
    {
        for (int j = 0; j < numChannels; ++j)
            if (channelGroups[(size_t)j] == group && faderTouched[(size_t)j] &&
                (! existingOnly || AutomationLanes::channelExists (j, numTracks)))
                return true;

        return false;
    };

    // Group linkage: a dragged fader moves every untouched member of its group by its own
    // change; members keep their offsets, and a member's value may run past the ends
    // internally while the value handed to the editor is limited to 0..1.
    for (int c = 0; c < numChannels; ++c)
    {
        if (! exists (c))
            continue;

        const auto group = groupOf (c);
        const bool touched = faderTouched[(size_t)c];

        if (touched && group > 0)
        {
            if (channelVolumeValues[(size_t)c] == nullptr)
                continue;

            const auto v = value (c);
            const auto delta = v - last[(size_t)c];
            last[(size_t)c] = v;

            if (std::abs (delta) <= 1.0e-6f)
                continue;

            for (int j = 0; j < numChannels; ++j)
            {
                if (j == c || ! exists (j) || channelGroups[(size_t)j] != group ||
                    channelVolumeValues[(size_t)j] == nullptr)
                    continue;

                // Another dragged member is left alone: its own turn hands its own change to
                // the others, which taking its value as baseline here would swallow.
                if (faderTouched[(size_t)j])
                    continue;

                last[(size_t)j] += delta;
                pendingFaderValues[(size_t)j] = juce::jlimit (0.0f, 1.0f, last[(size_t)j]);
            }
        }
        else
        {
            // An untouched fader follows changes made elsewhere (automation, the host, MIDI),
            // but not at the ends of its range, where a group move may have limited it.
            if (touched || (group > 0 && anyTouchedIn (group, false)) || channelVolumeValues[(size_t)c] == nullptr)
                continue;

            const auto v = value (c);

            if (std::abs (v - last[(size_t)c]) > 0.001f && v > 0.01f && v < 0.99f)
                last[(size_t)c] = v;
        }
    }

    // Automation: the row of the tape position and how many rows one write covers.
    const int state = transportState;
    const bool rolling = state == transportPlay || state == transportRecord;
    const auto speed = tapeMechanics.getSpeed();
    const auto row = AutomationLanes::getRow (getElapsedSinceZero(), automationData.getNumSamples());
    const auto step = AutomationLanes::getStep (rolling, speed, bufferLength, getSampleRate());
    const bool forward = speed >= 0.0;

    for (int c = 0; c < numChannels; ++c)
    {
        if (! exists (c))
            continue;

        const auto index = (size_t)c;
        const int mode = automationModes[index];
        const auto group = groupOf (c);
        const bool touched = faderTouched[index] || (group > 0 && anyTouchedIn (group, true));

        if (! rolling)
            automationLatched[index] = false;

        if (channelVolumeValues[index] == nullptr)
            continue;

        const auto v = value (c);

        const auto read = [&]
        {
            if (! rolling)
                return;

            const auto laneValue = automationData.getSample (c, row);

            if (std::abs (v - laneValue) > 0.001f)
                pendingFaderValues[index] = laneValue;
        };

        const auto write = [&]
        {
            if (rolling)
                writeAutomationRows (c, v, row, step, forward);
        };

        switch (mode)
        {
            case automationRead:
                if (! touched)
                    read();
                break;

            case automationTouch:
                if (touched)
                    write();
                else
                    read();
                break;

            case automationLatch:
                if (touched && rolling)
                {
                    automationLatched[index] = true;
                    write();
                }
                else if (automationLatched[index])
                {
                    write();
                }
                else
                {
                    read();
                }
                break;

            case automationWrite:
                if (rolling)
                {
                    write();
                    automationLatched[index] = true;
                }
                break;

            case automationOff:
            default:
                break;
        }
    }
}

//==============================================================================
float TavrelDelayAudioProcessor::getChannelVolume (int channel) const
{
    if (auto* parameter = parameters.getParameter (ParameterIds::forChannelVolume (channel)))
        return parameter->getValue();

    return 0.0f;
}

void TavrelDelayAudioProcessor::setAutomationMode (int channel, int mode)
{
    if (channel < 0 || channel >= numChannels)
        return;

    automationModes[(size_t)channel] = mode;
    const int group = channelGroups[(size_t)channel];

    if (! isGroupActive (group))
        return;

    for (size_t other = 0; other < (size_t)numChannels; ++other)
        if (channelGroups[other] == group)
            automationModes[other] = mode;
}

void TavrelDelayAudioProcessor::applyPendingFaderValues()
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        const auto pending = pendingFaderValues[(size_t)channel].exchange (-1.0f);

        if (pending < 0.0f)
            continue;

        if (auto* parameter = parameters.getParameter (ParameterIds::forChannelVolume (channel)))
        {
            parameter->setValue (pending);
            parameter->sendValueChangedMessageToListeners (pending);
        }
    }
}
