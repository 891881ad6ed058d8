#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace EditorTest
{
inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Runs the message loop until done() or the time is up; returns done(). */
template <typename Predicate>
bool runMessagesUntil (Predicate done, int timeoutMs)
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

inline bool displayRequired()
{
    return juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1";
}

/** The theme file every editor reads at construction. */
inline juce::File themeFile()
{
    return Platform::getUserDataFolder().getChildFile ("modern_theme.xml");
}

/** A processor and its editor; every test starts without a theme file. */
struct EditorFixture : public ::testing::Test
{
    void SetUp() override
    {
        themeFile().deleteFile();
        processor = std::make_unique<TavrelDelayAudioProcessor>();
    }

    void TearDown() override
    {
        editor.reset();
        processor.reset();
    }

    TavrelDelayAudioProcessorEditor& makeEditor()
    {
        editor.reset();
        editor.reset (static_cast<TavrelDelayAudioProcessorEditor*> (processor->createEditor()));
        return *editor;
    }

    /** The deck instead of the tape room, laid out. */
    void showDeck()
    {
        editor->tapeRoomShowing = false;
        editor->resized();
    }

    /** Switches between the minimal and the skeuomorphic interface as the program does: the
        editor's look and the application's default look change with it. */
    void switchInterface (bool minimal)
    {
        editor->useModernUI = minimal;
        juce::LookAndFeel& look = minimal ? static_cast<juce::LookAndFeel&> (editor->modernLook) : editor->customLook;
        editor->setLookAndFeel (&look);
        juce::LookAndFeel::setDefaultLookAndFeel (&look);
        editor->resized();
    }

    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<TavrelDelayAudioProcessorEditor> editor;
};
} // namespace EditorTest
