#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The settings panel's tab bar in the skeuomorphic interface: beige tab in front, dark ones
    behind, their lower corners hidden under the page. */
class MarlixTabLook : public juce::LookAndFeel_V4
{
public:
    void drawTabButton (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown) override;
    void fillTabButtonShape (juce::TabBarButton& button, juce::Graphics& g, const juce::Path& path, bool isMouseOver,
                             bool isMouseDown) override;

    static constexpr juce::uint32 frontColour = 0xffd0c0b0;
    static constexpr juce::uint32 backColour = 0xff2b2b2b;
};
