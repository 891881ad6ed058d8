// The global MIDI map and MIDI learn: the map's file, the learn state, the built-in
// instrument settings that controllers drive, the block callback's MIDI step, and what the
// audio thread hands to the message thread (parameters it set, commands it cannot run).

#include "engine/TavrelDelayAudioProcessor.h"

#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
juce::File getMidiMapFile()
{
    return Platform::getUserDataFolder().getChildFile (GlobalMidiMap::fileName);
}

void runMidiCommand (TavrelDelayAudioProcessor& p, const GlobalMidiMap::Target& target) noexcept
{
    using Command = GlobalMidiMap::Command;

    if (target.kind == GlobalMidiMap::Kind::trackArm)
    {
        const auto index = (size_t)(target.number - 1);

        if (target.number >= 1 && index < p.tracks.size())
            p.tracks[index].setArmed (! p.tracks[index].isArmed());

        return;
    }

    switch (target.command)
    {
        case Command::play:
            p.setTransportState (TavrelDelayAudioProcessor::transportPlay);
            break;
        case Command::stop:
            p.setTransportState (TavrelDelayAudioProcessor::transportStop);
            break;
        case Command::record:
            p.recordButtonPressed();
            break;
        case Command::rewind:
            p.setTransportState (TavrelDelayAudioProcessor::transportRewind);
            break;
        case Command::fastForward:
            p.setTransportState (TavrelDelayAudioProcessor::transportFastForward);
            break;
        case Command::returnToZero:
            p.returnToZero();
            break;
        case Command::setZero:
            p.setZeroPoint();
            break;
        case Command::loopClear:
            p.clearLoopPoints();
            break;
        case Command::loopIn:
            p.setLoopInHere();
            break;
        case Command::loopOut:
            p.setLoopOutHere();
            break;
        case Command::loopToggle:
            p.toggleLoop();
            break;
        case Command::loopCut:
            p.postLoopCut();
            break;
        case Command::clickToggle:
            p.postClickToggle();
            break;
        case Command::clearDefects:
            p.clearAllTapeDefects();
            break;
        case Command::none:
        default:
            break;
    }
}
} // namespace

//==============================================================================
void TavrelDelayAudioProcessor::setMidiLearnTarget (const juce::String& id)
{
    midiLearnTarget = id;
    globalMidiMap.arm (id);
}

void TavrelDelayAudioProcessor::clearMidiLearnTarget()
{
    globalMidiMap.cancel();
    midiLearnTarget = {};
}

void TavrelDelayAudioProcessor::clearMidiMap()
{
    midiMap.clear();
    saveGlobalMidiMap();
}

void TavrelDelayAudioProcessor::publishMidiMap()
{
    // The audio thread only takes keys for learn; binding and saving are done here.
    JUCE_ASSERT_MESSAGE_THREAD

    globalMidiMap.publish (midiMap,
                           [this] (const juce::String& id) -> juce::AudioProcessorParameter*
                           { return parameters.getParameter (id); });
}

void TavrelDelayAudioProcessor::saveGlobalMidiMap()
{
    publishMidiMap();

    // A failed write leaves the map in memory as it is.
    GlobalMidiMap::writeFile (midiMap, getMidiMapFile());
}

void TavrelDelayAudioProcessor::loadGlobalMidiMap()
{
    // A missing, unreadable or foreign file leaves the map as it is (empty at start-up).
    GlobalMidiMap::readFile (getMidiMapFile(), midiMap);
    publishMidiMap();
}

void TavrelDelayAudioProcessor::eraseInstrumentMidiBindings (int builtInType)
{
    const auto prefix = BuiltInInstruments::makeMidiLearnId (builtInType, {});

    for (auto it = midiMap.begin(); it != midiMap.end();)
        it = it->second.startsWith (prefix) ? midiMap.erase (it) : std::next (it);

    saveGlobalMidiMap();
}

void TavrelDelayAudioProcessor::applyLearnedMidiBinding (int key, const juce::String& targetId)
{
    if (! globalMidiMap.isArmed())
        midiLearnTarget = {};

    if (GlobalMidiMap::isNeverBound (key) || targetId.isEmpty())
        return;

    const auto [first, last] = midiMap.equal_range (key);
    const bool alreadyBound = std::any_of (first, last, [&] (const auto& entry) { return entry.second == targetId; });

    if (! alreadyBound)
        midiMap.emplace (key, targetId);

    // Saved also when nothing was added: learning an existing binding rewrites the file.
    saveGlobalMidiMap();
}

//==============================================================================
void TavrelDelayAudioProcessor::setInstrumentParameterFromMidi (int slot, const juce::String& controlId, float value)
{
    if (slot < 0 || slot >= (int)instruments.size() || instruments[(size_t)slot] == nullptr)
        return;

    const auto type = instruments[(size_t)slot]->builtInType;
    applyInstrumentSettingFromMidi (slot, MidiInstrumentSettings::find (type, controlId), value);
}

void TavrelDelayAudioProcessor::applyInstrumentSettingFromMidi (int slot,
                                                                const MidiInstrumentSettings::Setting& setting,
                                                                float value) noexcept
{
    if (slot < 0 || slot >= (int)instruments.size() || instruments[(size_t)slot] == nullptr)
        return;

    auto& instrument = *instruments[(size_t)slot];

    if (setting.type == instrument.builtInType)
    {
        using namespace BuiltInInstruments;

        switch (instrument.builtInType)
        {
            case MonoSynth:
                if (instrument.monoEngine != nullptr)
                    MidiInstrumentSettings::apply (*instrument.monoEngine, setting, value);
                break;
            case RhythmMachine:
                if (instrument.rhythmEngine != nullptr)
                    MidiInstrumentSettings::apply (*instrument.rhythmEngine, setting, value);
                break;
            case PolySynth:
                if (instrument.polyEngine != nullptr)
                    MidiInstrumentSettings::apply (*instrument.polyEngine, setting, value);
                break;
            case Tannerin:
                if (instrument.tannerinEngine != nullptr)
                    MidiInstrumentSettings::apply (*instrument.tannerinEngine, setting, value);
                break;
            case StageKeyboard:
                if (instrument.keyboardEngine != nullptr)
                    MidiInstrumentSettings::apply (*instrument.keyboardEngine, setting, value);
                break;
            default:
                break;
        }
    }

    unsavedChanges = true;
}

//==============================================================================
bool TavrelDelayAudioProcessor::getMidiMapKey (const juce::uint8* data, int numBytes, int& key, int& value) noexcept
{
    if (data == nullptr || numBytes < 3)
        return false;

    const auto type = data[0] & 0xf0;

    if (type == 0xb0)
    {
        key = data[1] & 0x7f;
        value = data[2] & 0x7f;
        return true;
    }

    if (type == 0x90 || type == 0x80)
    {
        key = GlobalMidiMap::firstNoteKey + (data[1] & 0x7f);
        value = type == 0x90 && data[2] != 0 ? 127 : 0;
        return true;
    }

    return false;
}

void TavrelDelayAudioProcessor::dispatchMidiMap (const juce::MidiBuffer& incoming, juce::MidiBuffer& filtered) noexcept
{
    const GlobalMidiMap::ScopedReader map (globalMidiMap);

    for (const auto metadata : incoming)
    {
        // Raw bytes: a system-exclusive message made into a MidiMessage would allocate.
        int key = 0, value = 0;

        if (! getMidiMapKey (metadata.data, metadata.numBytes, key, value))
        {
            BlockState::addIfRoom (filtered, metadata.data, metadata.numBytes, metadata.samplePosition,
                                   BlockState::deviceMidiBytes);
            continue;
        }

        // Learn takes the key (the modulation wheel and the sustain pedal only cancel it);
        // the message thread binds it and writes the file.
        if (! globalMidiMap.captureLearn (key))
        {
            const auto v = (float)value / 127.0f;

            for (auto* target = map.begin (key); target != map.end (key); ++target)
            {
                switch (target->kind)
                {
                    case GlobalMidiMap::Kind::instrument:
                    {
                        const int slot = keyboardTargetSlot;
                        const auto isOfType = [&] (int index)
                        {
                            const auto& instrument = instruments[(size_t)index];
                            return instrument != nullptr && instrument->builtInType == target->number;
                        };

                        // The slot that plays the keyboards when it holds that instrument,
                        // otherwise every slot that does.
                        if (slot >= 0 && slot < (int)instruments.size() && isOfType (slot))
                        {
                            applyInstrumentSettingFromMidi (slot, target->setting, v);
                        }
                        else
                        {
                            for (int index = 0; index < (int)instruments.size(); ++index)
                                if (isOfType (index))
                                    applyInstrumentSettingFromMidi (index, target->setting, v);
                        }
                        break;
                    }

                    case GlobalMidiMap::Kind::parameter:
                        setParameterFromAudioThread (*target->parameter, v);
                        break;

                    case GlobalMidiMap::Kind::command:
                    case GlobalMidiMap::Kind::trackArm:
                        if (value >= 64)
                            runMidiCommand (*this, *target);
                        break;

                    case GlobalMidiMap::Kind::nothing:
                    default:
                        break;
                }
            }
        }

        // No controller change reaches the instruments, bound or not; notes always do.
        if ((metadata.data[0] & 0xf0) != 0xb0)
            BlockState::addIfRoom (filtered, metadata.data, metadata.numBytes, metadata.samplePosition,
                                   BlockState::deviceMidiBytes);
    }
}

//==============================================================================
TavrelDelayAudioProcessor::AudioThreadParameterValues::AudioThreadParameterValues (
    juce::AudioProcessorValueTreeState& state)
{
    const auto& all = state.processor.getParameters();
    size = (size_t)all.size();
    raw.assign (size, nullptr);
    pending = std::make_unique<std::atomic<float>[]> (size);

    for (size_t i = 0; i < size; ++i)
    {
        pending[i] = std::numeric_limits<float>::quiet_NaN();

        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (all[(int)i]))
            raw[i] = state.getRawParameterValue (ranged->paramID);
    }
}

void TavrelDelayAudioProcessor::setParameterFromAudioThread (juce::AudioProcessorParameter& parameter,
                                                             float normalisedValue) noexcept
{
    const auto index = (size_t)parameter.getParameterIndex();
    const auto v = juce::jlimit (0.0f, 1.0f, normalisedValue);

    // The parameter's own value (an atomic store) and the raw value the block reads, which the
    // framework would otherwise update only while notifying.
    parameter.setValue (v);

    if (index < audioThreadParameterValues.size)
    {
        if (auto* raw = audioThreadParameterValues.raw[index])
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (&parameter))
                raw->store (ranged->convertFrom0to1 (parameter.getValue()));

        audioThreadParameterValues.pending[index] = parameter.getValue();
    }

    unsavedChanges = true;
    audioThreadRequests.post (AudioThreadRequests::parameterChanges);
}

void TavrelDelayAudioProcessor::notifyParametersSetFromAudioThread()
{
    const auto& all = getParameters();
    auto& values = audioThreadParameterValues;

    for (size_t i = 0; i < values.size && (int)i < all.size(); ++i)
    {
        const auto value = values.pending[i].exchange (std::numeric_limits<float>::quiet_NaN());

        if (std::isnan (value))
            continue;

        auto* parameter = all[(int)i];

        // Changed here since (a fader moved): that change was told already and holds.
        if (parameter->getValue() != value)
            continue;

        parameter->setValueNotifyingHost (value);

        // The tree learns of a value through its parameter's notification only when the raw
        // value differs, which the audio thread already set: it is written here.
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            parameters.getParameterAsValue (ranged->paramID) = ranged->convertFrom0to1 (value);
    }
}

void TavrelDelayAudioProcessor::handleAudioThreadRequest (AudioThreadRequests::Kind kind, int count)
{
    switch (kind)
    {
        case AudioThreadRequests::loopCut:
            for (int i = 0; i < count; ++i)
                cutLoopRegion();
            break;

        case AudioThreadRequests::clickToggle:
            // Two presses before the message thread looked cancel out.
            if (count % 2 != 0)
                toggleClick();
            break;

        case AudioThreadRequests::measuredLatency:
            applyMeasuredLatency (measuredLatencyOffset.load());
            break;

        case AudioThreadRequests::parameterChanges:
            notifyParametersSetFromAudioThread();
            break;

        case AudioThreadRequests::retiredSlots:
            releaseRetiredSlots();
            break;

        case AudioThreadRequests::numKinds:
        default:
            break;
    }
}

static_assert (BlockState::keyboardMidiBytes >= KeyboardNoteQueue::maxNotesPerBlock * (BlockState::eventHeaderBytes + 3),
               "the keyboard buffer holds the notes of one block");
