#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Drawing components into images and feeding them mouse events, as the looks' tests need.
namespace LookTest
{
/** The component drawn into an ARGB image at scale 1 (no display needed). */
inline juce::Image snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

inline juce::Colour pixel (juce::Component& component, int x, int y)
{
    return snapshot (component).getPixelAt (x, y);
}

/** Same colour within a small tolerance per channel (anti-aliasing, premultiplication). */
inline ::testing::AssertionResult near (juce::Colour a, juce::Colour b, int tolerance = 3)
{
    if (std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance && std::abs (a.getAlpha() - b.getAlpha()) <= tolerance)
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure() << "colour " << a.toString() << " is not " << b.toString();
}

/** How many pixels of the component's area satisfy the predicate (text drawn in a region...). */
template <typename Predicate> int countPixels (juce::Component& component, juce::Rectangle<int> area, Predicate&& predicate)
{
    const auto image = snapshot (component);
    int count = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += predicate (image.getPixelAt (x, y)) ? 1 : 0;

    return count;
}

/** A square image of one colour. */
inline juce::Image solid (int width, int height, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, width, height, false);
    image.clear (image.getBounds(), colour);
    return image;
}

inline juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position,
                                    juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                                    int clicks = 1, bool dragged = false)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods, 0.0f, 0.0f, 0.0f, 0.0f,
                             0.0f, &component, &component, now, position, now, clicks, dragged);
}

/** Alert windows measure the screen when they are made: those tests need a display. */
inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** Makes a look the application's default while it lives. */
class ScopedDefaultLook
{
public:
    explicit ScopedDefaultLook (juce::LookAndFeel& look) { juce::LookAndFeel::setDefaultLookAndFeel (&look); }
    ~ScopedDefaultLook() { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }

private:
    JUCE_DECLARE_NON_COPYABLE (ScopedDefaultLook)
};
} // namespace LookTest

#define DRAVIN8_LOOKS_NEED_DISPLAY()                                                                                   \
    if (! LookTest::displayAvailable())                                                                                \
    {                                                                                                                  \
        if (juce::SystemStats::getEnvironmentVariable ("DRAVIN8_REQUIRE_DISPLAY", {}) == "1")                          \
            FAIL() << "alert windows need a display (run the tests under xvfb-run)";                                   \
        GTEST_SKIP() << "no display";                                                                                  \
    }
