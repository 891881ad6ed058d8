#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

struct PluginManagerEntry;

/** One 28-pixel line of the plug-in manager: tick box, name, format badge and manufacturer. */
class PluginListRow : public juce::Component
{
public:
    static constexpr int rowHeight = 28;

    explicit PluginListRow (PluginManagerEntry* entryToShow);

    PluginManagerEntry* entry = nullptr;
    std::function<void (const juce::MouseEvent&)> onClick;

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginListRow)
};
