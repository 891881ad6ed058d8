// The control stage of the block callback: group faders and fader automation, the global MIDI
// map and MIDI learn, the parameter snapshot with each track's block settings, the shuttle, the
// tape speed target with the locate-to-zero run and the ends of the tape, and the head settings.

#include "engine/TavrelDelayAudioProcessor.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int learnNeverBinds1 = 1;  // modulation wheel
constexpr int learnNeverBinds2 = 64; // sustain pedal
constexpr int noteKeyOffset = 128;   // map keys 128..255 are notes
constexpr int commandThreshold = 64; // commands run on a note-on or a controller at 64 and above

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
// Group faders and automation.

void TavrelDelayAudioProcessor::runGroupsAndAutomation (int bufferLength) noexcept
{
    const juce::ScopedTryLock lock (automationLock);

    if (! lock.isLocked())
        return;

    const auto exists = [this] (int channel) { return channel < numTracks || channel >= maxTracks; };
    auto& last = groupFaderBaseline;

    if (! groupBaselineReady)
    {
        for (size_t c = 0; c < (size_t)numChannels; ++c)
            if (auto* parameter = blockParameters.channelVolumes[c])
                last[c] = parameter->getValue();

        groupBaselineReady = true;
    }

    const auto groupOf = [this] (int channel)
    {
        const auto group = channelGroups[(size_t)channel].load (std::memory_order_relaxed);
        return isGroupActive (group) ? group : 0;
    };

    const auto touched = [this] (int channel)
    { return faderTouched[(size_t)channel].load (std::memory_order_relaxed); };

    // Whether any channel of the group has its fader held, among every channel or only among
    // the channels of the open reel.
    const auto groupTouched = [&] (int group, bool existingOnly)
    {
        for (int j = 0; j < numChannels; ++j)
            if ((! existingOnly || exists (j)) && channelGroups[(size_t)j].load (std::memory_order_relaxed) == group &&
                touched (j))
                return true;

        return false;
    };

    // Group linkage: a dragged fader moves every untouched member of its group by its own step.
    for (int c = 0; c < numChannels; ++c)
    {
        if (! exists (c))
            continue;

        auto* parameter = channelVolumeValues[(size_t)c];
        const auto group = groupOf (c);

        if (touched (c) && group > 0)
        {
            if (parameter == nullptr)
                continue;

            const auto value = parameter->getValue();
            const auto delta = value - last[(size_t)c];
            last[(size_t)c] = value;

            if (std::abs (delta) <= 1.0e-6f)
                continue;

            for (int j = 0; j < numChannels; ++j)
            {
                if (j == c || ! exists (j) || channelGroups[(size_t)j].load (std::memory_order_relaxed) != group)
                    continue;

                auto* member = channelVolumeValues[(size_t)j];

                if (member == nullptr)
                    continue;

                if (touched (j))
                {
                    last[(size_t)j] = member->getValue();
                }
                else
                {
                    // The member's own value may run past either end; the editor gets it limited.
                    last[(size_t)j] += delta;
                    pendingFaderValues[(size_t)j].store (juce::jlimit (0.0f, 1.0f, last[(size_t)j]));
                }
            }
        }
        else
        {
            if (touched (c) || (group > 0 && groupTouched (group, false)) || parameter == nullptr)
                continue;

            // Follow changes made elsewhere, but not at the ends of the range, where a member
            // pushed past its end keeps its offset.
            const auto value = parameter->getValue();

            if (std::abs (value - last[(size_t)c]) > 0.001f && value > 0.01f && value < 0.99f)
                last[(size_t)c] = value;
        }
    }

    // Automation.
    const auto laneLength = automationData.getNumSamples();

    if (laneLength <= 0 || automationData.getNumChannels() < numChannels)
        return;

    const auto row = juce::jlimit (0, laneLength - 1, (int)(getElapsedSinceZero() * automationPointsPerSecond));
    const auto state = transportState.load();
    const bool rolling = state == transportPlay || state == transportRecord;
    const auto rate = getSampleRate();
    auto step = 1;

    if (rolling && rate > 0.0)
        step = 2 + (int)(std::abs (tapeMechanics.getSpeed()) * bufferLength / rate * automationPointsPerSecond);

    for (int c = 0; c < numChannels; ++c)
    {
        if (! exists (c))
            continue;

        const auto mode = automationModes[(size_t)c].load();
        const auto group = groupOf (c);
        const bool isTouched = touched (c) || (group > 0 && groupTouched (group, true));
        auto& latched = automationLatched[(size_t)c];

        if (! rolling)
            latched = false;

        auto* parameter = channelVolumeValues[(size_t)c];

        if (parameter == nullptr)
            continue;

        const auto value = parameter->getValue();

        const auto readLane = [&]
        {
            if (! rolling)
                return;

            const auto laneValue = automationData.getSample (c, row);

            if (std::abs (value - laneValue) > 0.001f)
                pendingFaderValues[(size_t)c].store (laneValue);
        };

        const auto writeLane = [&]
        {
            if (rolling)
                writeAutomationRows (c, value, row, step);
        };

        switch (mode)
        {
            case automationRead:
                if (! isTouched)
                    readLane();
                break;

            case automationTouch:
                if (isTouched)
                    writeLane();
                else
                    readLane();
                break;

            case automationLatch:
                if (isTouched && rolling)
                {
                    latched = true;
                    writeLane();
                }
                else if (latched)
                {
                    writeLane();
                }
                else
                {
                    readLane();
                }
                break;

            case automationWrite:
                if (rolling)
                {
                    writeLane();
                    latched = true;
                }
                break;

            case automationOff:
            default:
                break;
        }
    }
}

void TavrelDelayAudioProcessor::writeAutomationRows (int channel, float value, int row, int step) noexcept
{
    const auto length = automationData.getNumSamples();
    const auto direction = tapeMechanics.getSpeed() >= 0.0 ? 1 : -1;
    auto* lane = automationData.getWritePointer (channel);

    for (int k = 0; k < step; ++k)
    {
        const auto r = row + direction * k;

        if (r >= 0 && r < length)
            lane[r] = value;
    }
}

//==============================================================================
// The MIDI map and MIDI learn.

void TavrelDelayAudioProcessor::dispatchMidi (const juce::MidiBuffer& incoming)
{
    auto& filtered = block.filteredMidi;
    filtered.clear();

    // The map is only read here; while the message thread changes it, this block leaves the
    // bindings alone (controllers are still kept from the instruments).
    const juce::ScopedTryLock mapLock (midiMapLock);

    for (const auto metadata : incoming)
    {
        const auto* data = metadata.data;
        const auto size = metadata.numBytes;
        const auto type = size > 0 ? (data[0] & 0xf0) : 0;
        const bool controller = type == 0xb0 && size >= 3;
        const bool note = (type == 0x90 || type == 0x80) && size >= 3;

        if (! controller && ! note)
        {
            filtered.addEvent (data, size, metadata.samplePosition);
            continue;
        }

        const auto key = controller ? (int)data[1] : (int)data[1] + noteKeyOffset;
        const auto value = controller ? (int)data[2] : (type == 0x90 && data[2] > 0 ? 127 : 0);

        if (midiLearnArmed.load())
        {
            // The first controller or note ends learn. Binding and saving the map are file and
            // memory work, done on the message thread.
            if (midiLearnArmed.exchange (false))
                postMidiLearnBinding (key);
        }
        else if (mapLock.isLocked())
        {
            dispatchMidiTargets (key, value);
        }

        // No controller message ever reaches the instrument slots.
        if (note)
            filtered.addEvent (data, size, metadata.samplePosition);
    }
}

void TavrelDelayAudioProcessor::dispatchMidiTargets (int key, int value)
{
    const auto [first, end] = midiMap.equal_range (key);
    const auto normalised = (float)value / 127.0f;

    for (auto it = first; it != end; ++it)
    {
        const auto& target = it->second;

        if (target.startsWith ("INST_"))
            setInstrumentParameterForType (juce::CharacterFunctions::getIntValue<int> (target.getCharPointer() + 5),
                                           target, normalised);
        else if (auto* parameter = parameters.getParameter (target))
            parameter->setValueNotifyingHost (normalised);
        else if (value >= commandThreshold)
            runMidiCommand (target);
    }
}

void TavrelDelayAudioProcessor::setInstrumentParameterForType (int type, const juce::String& targetId, float value)
{
    const auto exists = [this] (int slot)
    { return slot >= 0 && slot < (int)instruments.size() && instruments[(size_t)slot] != nullptr; };

    // The setting's name is everything after "INST_", the type and its "_" (it may hold "_").
    const auto typeEnd = targetId.indexOfChar (5, '_');
    const auto name = typeEnd >= 0 ? targetId.substring (typeEnd + 1) : juce::String();
    const auto target = keyboardTargetSlot.load();

    if (exists (target) && instruments[(size_t)target]->builtInType == type)
    {
        setInstrumentParameterFromMidi (target, name, value);
        return;
    }

    for (int slot = 0; slot < (int)instruments.size(); ++slot)
        if (exists (slot) && instruments[(size_t)slot]->builtInType == type)
            setInstrumentParameterFromMidi (slot, name, value);
}

void TavrelDelayAudioProcessor::runMidiCommand (const juce::String& command)
{
    if (command == "play_button")
        setTransportState (transportPlay);
    else if (command == "stop_button")
        setTransportState (transportStop);
    else if (command == "rec_button")
        recordButtonPressed();
    else if (command == "rew_button")
        setTransportState (transportRewind);
    else if (command == "ff_button")
        setTransportState (transportFastForward);
    else if (command == "rtz_button")
        returnToZero();
    else if (command == "zero_button")
        setZeroPoint();
    else if (command == "loop_clear")
        clearLoopPoints();
    else if (command == "loop_in")
        setLoopInHere();
    else if (command == "loop_out")
        setLoopOutHere();
    else if (command == "loop_toggle")
        toggleLoop();
    else if (command == "click_toggle")
        postClickToggle();
    else if (command == "clear_defects")
        clearAllTapeDefects();
    else if (command == "loop_cut")
        postLoopCut();
    else if (command.startsWith ("ARM_"))
    {
        // Tracks 1 to 8 only: the arm buttons a controller surface has.
        const auto track = juce::CharacterFunctions::getIntValue<int> (command.getCharPointer() + 4);

        if (track >= 1 && track <= 8 && track <= (int)tracks.size())
        {
            auto& tape = tracks[(size_t)track - 1];
            tape.setArmed (! tape.isArmed());
        }
    }
}

void TavrelDelayAudioProcessor::postMidiLearnBinding (int key)
{
    juce::MessageManager::callAsync (
        [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this), key]
        {
            auto* processor = weak.get();

            // Learn armed again meanwhile: the new target waits for its own controller.
            if (processor == nullptr || processor->midiLearnArmed.load())
                return;

            const auto target = processor->midiLearnTarget;
            processor->midiLearnTarget = {};

            // The modulation wheel and the sustain pedal only cancel learn.
            if (key == learnNeverBinds1 || key == learnNeverBinds2 || target.isEmpty())
                return;

            {
                const juce::ScopedLock lock (processor->midiMapLock);
                auto& map = processor->midiMap;
                const auto [first, end] = map.equal_range (key);

                if (std::none_of (first, end, [&] (const auto& binding) { return binding.second == target; }))
                    map.emplace (key, target);
            }

            processor->saveGlobalMidiMap();
        });
}

void TavrelDelayAudioProcessor::postClickToggle()
{
    // Switching the click renders a whole tape of clicks: message-thread work.
    juce::MessageManager::callAsync (
        [weak = juce::WeakReference<TavrelDelayAudioProcessor> (this)]
        {
            if (auto* p = weak.get())
                p->setClickEnabled (p->clickTrack == nullptr, p->bpm > 0.0 ? p->bpm : 120.0,
                                    p->timeSigNumerator > 0 ? p->timeSigNumerator : 4,
                                    p->timeSigDenominator > 0 ? p->timeSigDenominator : 4);
        });
}

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
