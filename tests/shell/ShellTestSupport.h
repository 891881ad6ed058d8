#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Window tests need a display (xvfb-run in the test script); without one they are skipped, or
// fail when the run asks for a display.
namespace ShellTest
{
inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

inline bool displayRequired()
{
    return juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1";
}

inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Runs the message loop until done() or the time is up; returns done(). */
template <typename Predicate> bool runMessagesUntil (Predicate done, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;

    while (! done() && juce::Time::getMillisecondCounter() < end)
        runMessages (5);

    return done();
}

/** True when the component is on the desktop in a real native window: without a display the
    peer exists but has no native window. */
inline bool hasNativeWindow (juce::Component& component)
{
    auto* peer = component.getPeer();
    return peer != nullptr && peer->getNativeHandle() != nullptr;
}

/** Presses a key on a component as the keyboard would. */
inline bool pressKey (juce::Component& component, int keyCode)
{
    return component.keyPressed (juce::KeyPress (keyCode));
}

inline juce::Displays::Display makeMainDisplay (juce::Rectangle<int> userArea)
{
    juce::Displays::Display display;
    display.isMain = true;
    display.totalArea = userArea;
    display.userArea = userArea;
    return display;
}
} // namespace ShellTest

#define DRAVIN8_SKIP_WITHOUT_DISPLAY()                                                                                 \
    if (! ShellTest::displayAvailable())                                                                               \
    {                                                                                                                  \
        if (ShellTest::displayRequired())                                                                              \
            FAIL() << "window tests need a display (run them under xvfb-run)";                                         \
        GTEST_SKIP() << "no display";                                                                                  \
    }
