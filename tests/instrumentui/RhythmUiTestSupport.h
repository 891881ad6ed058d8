#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/RhythmEngine.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace RhythmUiTest
{
inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** Window tests need a real display; without one they skip, or fail when the run demands one. */
#define RHYTHM_REQUIRE_DISPLAY()                                                                   \
    do                                                                                             \
    {                                                                                              \
        if (! RhythmUiTest::displayAvailable())                                                    \
        {                                                                                          \
            if (juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1") \
                FAIL() << "window tests need a display (run them under xvfb-run)";                 \
            GTEST_SKIP() << "no display";                                                          \
        }                                                                                          \
    } while (false)

inline void pump (int ms = 20)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

inline bool pumpUntil (const std::function<bool()>& condition, int timeoutMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        pump (5);
    }
    return true;
}

/** Clicks a button the framework's way (a posted click) and waits until its handler has run. */
inline bool click (juce::Button& button)
{
    struct Watcher : juce::Button::Listener
    {
        bool clicked = false;
        void buttonClicked (juce::Button*) override { clicked = true; }
    } watcher;

    button.addListener (&watcher);
    button.triggerClick();
    const bool done = pumpUntil ([&] { return watcher.clicked; });
    pump (1);
    button.removeListener (&watcher);
    return done;
}

inline bool hasNativeWindow (juce::Component& window)
{
    auto* peer = window.getPeer();
    return peer != nullptr && peer->getNativeHandle() != nullptr;
}

/** A mouse press (and, with release, the release) at a point of an on-screen component, sent
    through its window's peer so the framework's own hit testing picks the component hit. */
inline void mouseAt (juce::Component& component, juce::Point<int> local, bool press, bool release)
{
    auto* top = component.getTopLevelComponent();
    auto* peer = top->getPeer();
    ASSERT_NE (peer, nullptr);
    const auto inTop = top->getLocalPoint (&component, local).toFloat();
    const auto source = juce::MouseInputSource::InputSourceType::mouse;
    const juce::ModifierKeys down (juce::ModifierKeys::leftButtonModifier);

    peer->handleMouseEvent (source, inTop, {}, juce::MouseInputSource::defaultPressure, 0.0f,
                            (juce::int64)juce::Time::getMillisecondCounter());
    if (press)
        peer->handleMouseEvent (source, inTop, down, juce::MouseInputSource::defaultPressure, 0.0f,
                                (juce::int64)juce::Time::getMillisecondCounter());
    if (release)
        peer->handleMouseEvent (source, inTop, {}, juce::MouseInputSource::defaultPressure, 0.0f,
                                (juce::int64)juce::Time::getMillisecondCounter());
    pump (5);
}

inline void clickAt (juce::Component& component, juce::Point<int> local)
{
    mouseAt (component, local, true, true);
}

/** A rhythm machine slot, first in the processor's instruments. */
inline std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> addRhythmSlot (TavrelDelayAudioProcessor& processor)
{
    auto slot = makeInstrumentPlugin();
    slot->builtInType = BuiltInInstruments::RhythmMachine;
    slot->name = BuiltInInstruments::rhythmMachineName;
    slot->createEngine (44100.0);
    processor.instruments.push_back (slot);
    return slot;
}

/** Notes pressed on a keyboard state, in order, as (note, velocity) with velocity 0 for a release. */
struct NoteRecorder : juce::MidiKeyboardState::Listener
{
    explicit NoteRecorder (juce::MidiKeyboardState& s) : state (s) { state.addListener (this); }
    ~NoteRecorder() override { state.removeListener (this); }

    void handleNoteOn (juce::MidiKeyboardState*, int channel, int note, float velocity) override
    {
        events.push_back ({channel, note, velocity, true});
    }
    void handleNoteOff (juce::MidiKeyboardState*, int channel, int note, float) override
    {
        events.push_back ({channel, note, 0.0f, false});
    }

    struct Event
    {
        int channel;
        int note;
        float velocity;
        bool on;
    };

    juce::MidiKeyboardState& state;
    std::vector<Event> events;
};

/** A 16-bit mono WAV file of a short decaying tone. */
inline void writeWav (const juce::File& file, int frames, double rate = 44100.0)
{
    file.deleteFile();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), rate, 1, 16, {}, 0));
    ASSERT_NE (writer, nullptr);
    juce::AudioBuffer<float> audio (1, frames);
    for (int i = 0; i < frames; ++i)
        audio.setSample (0, i, 0.5f * std::sin ((float)i * 0.05f) * (1.0f - (float)i / (float)frames));
    writer->writeFromAudioSampleBuffer (audio, 0, frames);
}
} // namespace RhythmUiTest
