#pragma once

#include "ui/looks/MarlixButtonLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The "About Dravin 8" card laid over the deck: title, version, credits, a button to the maker's
    web site and "CLOSE". It draws the flat themed style while the default look is the minimal one,
    else a dark card. The opener adds it as "about_panel" and deletes it through onClose. */
class AboutPanel : public juce::Component
{
public:
    explicit AboutPanel (std::function<void()> onClose);
    ~AboutPanel() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** The body text, in its order: version, credits, the developer's note, thanks. */
    static juce::String getBodyText();

    static constexpr const char* webAddress = "https://www.velmora-audio.com";
    static constexpr const char* webDomain = "VELMORA-AUDIO.COM";

    std::function<void()> onClose;
    juce::TextButton webButton, closeButton;
    MarlixButtonLook buttonLook;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutPanel)
};
