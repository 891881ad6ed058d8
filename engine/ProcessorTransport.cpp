// Transport control and locating: the transport state machine with its button sounds,
// auto-disarm, the record latch and write-to-latch on stop; the zero point, return to zero
// and the counter.
//
// Every operation here runs on the message thread or, through MIDI-map commands, on the
// audio thread between blocks; on the audio thread none takes a lock, allocates or looks a
// parameter up.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"

TavrelDelayAudioProcessor::TransportParameters TavrelDelayAudioProcessor::findTransportParameters()
{
    TransportParameters found;
    found.disableSfx = parameters.getRawParameterValue (ParameterIds::DISABLE_SFX);
    found.disableAutoDisarm = parameters.getRawParameterValue (ParameterIds::DISABLE_AUTO_DISARM);

    for (int i = 0; i < maxTracks; ++i)
        found.monitor[(size_t)i] = parameters.getParameter (ParameterIds::MON_ + juce::String (i + 1));

    return found;
}

void TavrelDelayAudioProcessor::autoDisarm()
{
    if (transportParameters.disableAutoDisarm != nullptr && transportParameters.disableAutoDisarm->load() > 0.5f)
        return;

    const auto count = juce::jmin (numTracks, (int)tracks.size(), maxTracks);

    for (int i = 0; i < count; ++i)
    {
        auto& track = tracks[(size_t)i];

        if (! track.isArmed())
            continue;

        track.setArmed (false);

        // What was just recorded is heard back from the tape. A stop from the MIDI map runs on
        // the audio thread, which must not take the listeners' lock.
        if (auto* monitor = transportParameters.monitor[(size_t)i])
        {
            const auto tape = monitor->convertTo0to1 (1.0f);

            if (juce::MessageManager::existsAndIsCurrentThread())
                monitor->setValueNotifyingHost (tape);
            else
                setParameterFromAudioThread (*monitor, tape);
        }
    }
}

void TavrelDelayAudioProcessor::setTransportState (int newState)
{
    if (newState < transportStop || newState > transportScrub)
        return;

    const int current = transportState.load();

    // A stop while a return to zero runs goes on, to cancel the locate where the tape is.
    if (newState == current && ! (newState == transportStop && locateToZeroPending.load()))
        return;

    // Entering or leaving scrub is silent: the hand is on the reel, not on a button.
    if (buttonSoundsEnabled() && newState != transportScrub && current != transportScrub)
    {
        const auto gain = drawButtonSoundGain();

        if (newState == transportStop)
            buttonVoice.start (stopSound, gain);
        else
            buttonVoice.start (clickSound, 0.4f * gain);
    }

    switch (newState)
    {
        case transportRecord:
            recordReady = true;
            transportState = transportRecord;
            break;

        case transportPlay:
            if (current == transportStop)
            {
                transportState = recordReady.load() ? transportRecord : transportPlay;
            }
            else
            {
                if (current == transportRecord)
                    autoDisarm(); // punch out

                transportState = transportPlay;
            }
            break;

        case transportRewind:
        case transportFastForward:
            loopEnabled = false;
            transportState = newState;
            locateToZeroPending = false;
            break;

        case transportScrub:
            transportState = transportScrub;
            locateToZeroPending = false;
            break;

        case transportStop:
        default:
            if (current == transportRecord)
                autoDisarm();

            transportState = transportStop;
            recordReady = false;
            locateToZeroPending = false;

            // What was written on this pass is kept: write mode turns into latch.
            for (int channel = 0; channel < numChannels; ++channel)
            {
                if (channel >= numTracks && channel < maxTracks)
                    continue;

                int expected = automationWrite;
                automationModes[(size_t)channel].compare_exchange_strong (expected, automationLatch);
            }
            break;
    }
}

void TavrelDelayAudioProcessor::recordButtonPressed()
{
    if (buttonSoundsEnabled())
        buttonVoice.start (clickSound, drawButtonSoundGain());

    switch (transportState.load())
    {
        case transportStop:
            recordReady = ! recordReady.load(); // the record latch: the next play records
            break;
        case transportPlay:
            setTransportState (transportRecord); // punch in
            break;
        case transportRecord:
            setTransportState (transportPlay); // punch out
            break;
        default:
            break;
    }
}

void TavrelDelayAudioProcessor::returnToZero()
{
    loopEnabled = false;
    setTransportState (transportStop);

    // The locate sounds as one firm press, not as a stop.
    if (buttonSoundsEnabled())
        buttonVoice.start (clickSound, 0.6f);

    locateToZeroPending = true;
}

double TavrelDelayAudioProcessor::setZeroPoint()
{
    if (buttonSoundsEnabled())
        buttonVoice.start (clickSound, drawButtonSoundGain());

    zeroOffset = tracks.front().getPositionSeconds();
    return zeroOffset;
}

double TavrelDelayAudioProcessor::getElapsedSinceZero() const
{
    return tracks.front().getPositionSeconds() - zeroOffset;
}
