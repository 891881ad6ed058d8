// The control stage of the block callback, after the group faders, automation and the MIDI map
// (ProcessorAutomation.cpp, ProcessorMidiMap.cpp): the parameter snapshot with each track's
// block settings, the shuttle, the tape speed target with the locate-to-zero run and the ends of
// the tape, and the head settings.

#include "engine/TavrelDelayAudioProcessor.h"

#include <cmath>

namespace
{
bool isOn (const std::atomic<float>* value) noexcept
{
    return BlockParameters::isOn (value);
}

float read (const std::atomic<float>* value, float fallback) noexcept
{
    return BlockParameters::read (value, fallback);
}
} // namespace

//==============================================================================
// Parameter snapshot and per-track block settings.

void TavrelDelayAudioProcessor::takeParameterSnapshot() noexcept
{
    auto& b = block;
    const auto& p = blockParameters;

    b.headGap = read (p.time, 0.0f);
    b.drive = read (p.drive, 1.0f);
    b.age = read (p.age, 0.0f);
    b.hiss = read (p.noise, 0.0f);
    b.wow = read (p.wow, 0.0f);
    b.elasticWrite = ! isOn (p.disableElastic);
    b.format = (int)read (p.format, 0.0f);
    b.flutter = read (p.flutter, 0.0f) * (b.format == 3 ? 0.7f : 1.0f);
    b.reverse = isOn (p.reverse);
    b.playSpeed = read (p.varispeed, 1.0f) * (b.reverse ? -1.0 : 1.0);
    b.digitalFinger = read (p.digitalFinger, 0.0f);
    b.soundOnSound = isOn (p.soundOnSound);
    b.autoWear = isOn (p.degradeOn);
    b.wearRate = read (p.degradeRate, 0.0f);
    b.armGrabbed = isOn (p.armGrab);
    b.armAngle = read (p.armAngle, 0.0f);

    b.anySolo = false;
    const auto rate = b.sampleRate;
    const auto loopStart = loopIn.load(), loopEnd = loopOut.load();
    const bool looping = loopEnabled.load();

    for (int i = 0; i < b.activeTracks; ++i)
    {
        const auto t = (size_t)i;
        b.mute[t] = isOn (trackMuteValues[t]);
        b.solo[t] = isOn (trackSoloValues[t]);
        b.phase[t] = isOn (trackPhaseValues[t]);
        b.pan[t] = read (trackPanValues[t], 0.0f);
        b.monitor[t] = (int)read (trackMonitorValues[t], 0.0f);
        b.trim[t] = read (trackTrimValues[t], 1.0f);
        b.eqBeforeTape[t] = isOn (trackEqPreValues[t]);
        b.anySolo = b.anySolo || b.solo[t];

        auto& track = tracks[t];
        track.setOutputGain (1.0f);
        track.setTrim (b.trim[t]);
        track.setEq (rate, read (trackEqHighValues[t], 1.0f), read (trackEqMidGainValues[t], 1.0f),
                     read (trackEqMidFreqValues[t], 1000.0f), read (trackEqLowValues[t], 1.0f));
        track.setLoop (loopStart, loopEnd, looping);
    }
}

//==============================================================================
// Shuttle and tape speed.

void TavrelDelayAudioProcessor::updateScrub() noexcept
{
    const auto position = read (blockParameters.scrub, 0.5f);
    auto delta = position - scrubControlValue;

    // The wheel turns past its end and starts again.
    if (delta < -0.5f)
        delta += 1.0f;
    else if (delta > 0.5f)
        delta -= 1.0f;

    scrubControlValue = position;

    if (std::abs (delta) > 1.0e-4f)
    {
        transportState = transportScrub;
        reelHeld = false;
        scrubSpeed = (std::abs (delta) * 20000.0f + 150.0f) * delta;
        scrubIdleBlocks = 0;
    }
    else if (! reelHeld.load())
    {
        // Ten still blocks and the tape runs down; the transport stays in scrub.
        if (++scrubIdleBlocks > 10 && transportState.load() == transportScrub)
            scrubSpeed = 0.0f;
    }
}

void TavrelDelayAudioProcessor::placeTracksAt (double seconds, bool includingClick) noexcept
{
    for (auto& track : tracks)
        track.setPositionSeconds (seconds);

    if (includingClick && clickTrack != nullptr)
        clickTrack->setPositionSeconds (seconds);
}

void TavrelDelayAudioProcessor::chooseSpeedTarget() noexcept
{
    auto& b = block;
    double target = 0.0;

    const auto jumpTo = [this] (double speed)
    {
        if (speedSmoother.getTargetValue() != (float)speed || speedSmoother.getCurrentValue() != (float)speed)
            speedSmoother.setCurrentAndTargetValue ((float)speed);
    };

    const auto state = transportState.load();

    if (state == transportRecord && ! b.elasticWrite)
    {
        // Recording without the elastic write runs the tape at exactly nominal speed, and
        // neither the mechanics nor the heads wobble it.
        target = b.reverse ? -1.0 : 1.0;
        b.wow = 0.0f;
        b.flutter = 0.0f;
        b.age = 0.0f;

        if (speedSmoother.getTargetValue() != (float)target)
            speedSmoother.setCurrentAndTargetValue ((float)target);
    }
    else if (locateToZeroPending.load())
    {
        const auto zero = zeroOffset.load();
        const auto error = zero - tracks.front().getPositionSeconds();

        if (std::abs (error) < 0.1)
        {
            locateToZeroPending = false;
            transportState = transportStop;
            target = 0.0;
            speedSmoother.setCurrentAndTargetValue (0.0f);
            tapeMechanics.setTargetSpeed (0.0);
            placeTracksAt (zero, true);
        }
        else
        {
            target = juce::jlimit (-60.0, 60.0, 8.0 * error);
            target = target > 0.0 ? juce::jmax (target, 2.5) : juce::jmin (target, -2.5);
            jumpTo (target);
        }
    }
    else
    {
        switch (state)
        {
            case transportPlay:
            case transportRecord:
                target = b.playSpeed;
                break;
            case transportRewind:
                target = -45.0;
                break;
            case transportFastForward:
                target = 45.0;
                break;
            case transportScrub:
                target = scrubSpeed.load();
                jumpTo (target);
                break;
            case transportStop:
            default:
                target = 0.0;
                break;
        }
    }

    // The ends of the tape.
    const auto& reference = tracks.front();
    const auto position = reference.getPositionSeconds();
    const auto length =
        reference.sampleRate > 0.0 ? reference.getAudio().getNumSamples() / reference.sampleRate : 600.0;
    const auto speed = tapeMechanics.getSpeed();

    if (transportState.load() == transportScrub)
    {
        if (position <= 0.0 && target < 0.0)
        {
            target = 0.0;
            scrubSpeed = 0.0f;
            placeTracksAt (0.0, false);
        }
        else if (position >= length && target > 0.0)
        {
            target = 0.0;
            scrubSpeed = 0.0f;
            placeTracksAt (length, false);
        }
    }
    else if (position < 0.0)
    {
        // Before the start: pulled back onto the tape, damped by its own speed.
        target = -position * 45.0 - speed * 12.0 + juce::jmax (0.0, target);

        if (std::abs (position) < 0.005 && std::abs (speed) < 0.1)
        {
            target = 0.0;
            speedSmoother.setCurrentAndTargetValue (0.0f);
            placeTracksAt (0.0, true);
        }
    }
    else if (position > length)
    {
        target = -(position - length) * 45.0 - speed * 12.0 + juce::jmin (0.0, target);

        if (std::abs (position - length) < 0.005 && std::abs (speed) < 0.1)
        {
            target = 0.0;
            speedSmoother.setCurrentAndTargetValue (0.0f);
            placeTracksAt (length, true);
        }
    }
    else if (position < 2.0 && target < 0.0)
    {
        // Slows down over the last two seconds before either end.
        target *= (position * 0.5) * (position * 0.5);
    }
    else if (position > length - 2.0 && target > 0.0)
    {
        target *= ((length - position) * 0.5) * ((length - position) * 0.5);
    }

    b.speedTarget = target;

    const auto stateNow = transportState.load();
    b.rolling = stateNow == transportPlay || stateNow == transportRecord;
}

//==============================================================================
// Head settings.

void TavrelDelayAudioProcessor::applyHeadSettings() noexcept
{
    auto& b = block;

    switch (b.format)
    {
        case 0:
            b.headBumpHz = 40.0f;
            break;
        case 1:
            b.headBumpHz = 50.0f;
            break;
        case 2:
            b.headBumpHz = 60.0f;
            break;
        default:
            b.headBumpHz = 80.0f;
            break;
    }

    b.hissLevel = tapeMechanics.getHissFactor() / 0.00015f * b.hiss;
    b.bandwidth = tapeMechanics.getBandwidth();
    b.noisePrint = ! isOn (blockParameters.disableNoise);

    for (int i = 0; i < b.activeTracks; ++i)
    {
        auto& track = tracks[(size_t)i];
        auto& head = track.getHead();
        head.setNoiseAndAge (b.hissLevel, b.age, b.bandwidth, b.noisePrint);
        head.setHeadBump (b.headBumpHz);
        head.setFormat (b.format);
        track.setDrive (b.drive);
    }
}
