#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The tape room's look: flat dark buttons with rounded corners (the light and the red keys of
    the screen keep their own colour), dark list, boxes and menus, and a dark alert box with a
    title band for every tape-room dialog and the backup window. */
class ConsoleBrowserLook : public juce::LookAndFeel_V4
{
public:
    ConsoleBrowserLook();

    /** The two button colours drawn as they are; any other button is a dark key. */
    static constexpr juce::uint32 lightKey = 0xffe2e5e7;
    static constexpr juce::uint32 redKey = 0xff8a3333;

    void drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                               bool mouseOver, bool buttonDown) override;
    void drawButtonText (juce::Graphics& g, juce::TextButton& button, bool mouseOver, bool buttonDown) override;
    void drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert, const juce::Rectangle<int>& textArea,
                       juce::TextLayout& layout) override;
    int getAlertBoxWindowFlags() override;

private:
    JUCE_DECLARE_NON_COPYABLE (ConsoleBrowserLook)
};
