#pragma once

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/console/StudioConsoleComponent.h"
#include "ui/looks/CustomLookAndFeel.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace ConsoleTest
{
inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Clicks a button as the framework does (a posted click message) and waits until the click has
    been handled, however busy the machine is. */
inline bool click (juce::Button& button)
{
    struct Watcher : juce::Button::Listener
    {
        bool clicked = false;
        void buttonClicked (juce::Button*) override { clicked = true; }
    } watcher;

    button.addListener (&watcher);
    button.triggerClick();
    const auto end = juce::Time::getMillisecondCounter() + 10000;
    while (! watcher.clicked && juce::Time::getMillisecondCounter() < end)
        runMessages (5);
    // The listener runs just before the button's own handler, within the same message.
    runMessages (1);
    button.removeListener (&watcher);
    return watcher.clicked;
}

inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** Same colour within a small tolerance per channel (anti-aliasing, premultiplication). */
inline ::testing::AssertionResult near (juce::Colour a, juce::Colour b, int tolerance = 3)
{
    if (std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance && std::abs (a.getAlpha() - b.getAlpha()) <= tolerance)
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure() << "colour " << a.toString() << " is not " << b.toString();
}

/** What the component's own paint draws (its children left out), on black. */
template <typename ComponentType>
juce::Image paintOf (ComponentType& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::black);
    component.paint (g);
    return image;
}

inline juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position,
                                    juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier))
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods, 0.0f, 0.0f, 0.0f, 0.0f,
                             0.0f, &component, &component, now, position, now, 1, false);
}

inline juce::RangedAudioParameter& parameter (TavrelDelayAudioProcessor& processor, const juce::String& id)
{
    auto* p = processor.parameters.getParameter (id);
    if (p == nullptr)
        throw std::runtime_error ("no parameter " + id.toStdString());
    return *p;
}

/** A processor and its console at the skeuomorphic console's size, drawn with the skeuomorphic
    look (the application's default while the test runs). */
struct ConsoleFixture : public ::testing::Test
{
    void SetUp() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&look);
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        console = std::make_unique<StudioConsoleComponent> (*processor);
        console->setSize (760, 1020);
    }

    void TearDown() override
    {
        console.reset();
        processor.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    ChannelStripComponent& strip (int index) { return *console->strips[index]; }

    CustomLookAndFeel look;
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<StudioConsoleComponent> console;
};
} // namespace ConsoleTest
