#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace RackUiTest
{
inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** Window tests need a real display; without one they skip, or fail when the run demands one. */
#define RACKUI_REQUIRE_DISPLAY()                                                                        \
    do                                                                                                  \
    {                                                                                                   \
        if (! RackUiTest::displayAvailable())                                                           \
        {                                                                                               \
            if (juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1")      \
                FAIL() << "window tests need a display (run them under xvfb-run)";                      \
            GTEST_SKIP() << "no display";                                                               \
        }                                                                                               \
    } while (false)

/** A real native window, not a peer without one (what a run without a display gives). */
inline bool hasNativeWindow (juce::Component& window)
{
    auto* peer = window.getPeer();
    return peer != nullptr && peer->getNativeHandle() != nullptr;
}

/** Runs the message loop until the condition holds, for at most the given time (generous: the
    machine may be loaded). */
inline bool pumpUntil (const std::function<bool()>& condition, int timeoutMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    }
    return true;
}

inline void pump (int ms = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

/** A mouse event on a component, with the given modifiers. */
inline juce::MouseEvent mouseEventAt (juce::Component& component, juce::Point<float> position,
                                      juce::ModifierKeys mods = {}, bool dragged = false)
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (source, position, mods, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &component, &component, now,
                             position, now, 1, dragged);
}

/** Writes a snapshot of a component to DRAVIN8_SCREENSHOT_DIR when that is set. */
inline void saveScreenshot (juce::Component& component, const juce::String& fileName)
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {});
    if (folder.isEmpty())
        return;
    const auto image = component.createComponentSnapshot (component.getLocalBounds());
    const juce::File file = juce::File (folder).getChildFile (fileName);
    file.deleteFile();
    juce::FileOutputStream out (file);
    if (out.openedOk())
        juce::PNGImageFormat().writeImageToStream (image, out);
}
} // namespace RackUiTest
