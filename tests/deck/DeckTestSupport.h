#pragma once

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace DeckTest
{
inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

template <typename Predicate> bool runMessagesUntil (Predicate done, int timeoutMs = 3000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! done() && juce::Time::getMillisecondCounter() < end)
        runMessages (5);
    return done();
}

inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** A mouse event on target at a position in target's coordinates. */
inline juce::MouseEvent mouseEvent (juce::Component& target, juce::Point<float> position,
                                    juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                                    juce::Component* originator = nullptr)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &target,
                             originator != nullptr ? originator : &target, now, position, now, 1, false);
}

inline const juce::ModifierKeys rightButton{juce::ModifierKeys::rightButtonModifier};

/** Closes every dialog still open. */
inline void dismissAllDialogs()
{
    for (int guard = 0; guard < 20; ++guard)
    {
        auto* dialog = FlowDialog::findOpenDialog();
        if (dialog == nullptr)
            return;
        dialog->exitModalState (0);
        runMessages (20);
    }
}

/** A processor with a 10-minute 8-track reel at 48 kHz and its editor showing the deck in the
    skeuomorphic interface, at the design size (one editor unit per design unit). The clocks of
    blinking and double presses are the test's own. */
struct DeckFixture : public ::testing::Test
{
    TempDir temp{"dravin8-deck"};
    Platform::ScopedFolderOverride folders{temp.getFile().getChildFile ("user"), temp.getFile().getChildFile ("music")};
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<TavrelDelayAudioProcessorEditor> editor;
    juce::uint32 clock = 100000;
    static constexpr double rate = 48000.0;

    void SetUp() override
    {
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        if (processor->firstRunJob != nullptr)
        {
            ASSERT_TRUE (processor->firstRunJob->waitForThreadToExit (60000));
        }
        ASSERT_TRUE (processor->prepareReel (8, 600.0, rate).wasOk());
        processor->setRateAndBufferSizeDetails (rate, 512);

        editor.reset (static_cast<TavrelDelayAudioProcessorEditor*> (processor->createEditor()));
        editor->millisecondClock = [this] { return clock; };
        editor->tapeStrip.millisecondClock = [this] { return clock; };
        editor->tapeRoomShowing = false;
        editor->setSize (1699, 1133);
        editor->resized();
    }

    void TearDown() override
    {
        dismissAllDialogs();
        editor.reset();
        runMessages (20);
        processor.reset();
    }

    TavrelDelayAudioProcessorEditor& ed() { return *editor; }

    void setParameter (const char* id, float normalised)
    {
        auto* parameter = processor->parameters.getParameter (id);
        ASSERT_NE (parameter, nullptr) << id;
        parameter->setValueNotifyingHost (normalised);
    }

    /** Puts the tape at a time (seconds from the start of the tape) on every track. */
    void putTapeAt (double seconds)
    {
        for (auto& track : processor->tracks)
            track.position = seconds * track.sampleRate;
    }

    double tapeSeconds() const { return processor->tracks.front().position / processor->tracks.front().sampleRate; }

    /** A press, drag steps and release on the editor at editor positions. */
    void press (juce::Point<float> at, juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier))
    {
        clock += 1000;
        editor->mouseDown (mouseEvent (*editor, at, mods));
    }
    void drag (juce::Point<float> to) { editor->mouseDrag (mouseEvent (*editor, to)); }
    void release (juce::Point<float> at) { editor->mouseUp (mouseEvent (*editor, at)); }
};
} // namespace DeckTest
