#pragma once

#include "rack/RackUnit.h"

#include <functional>

/** The rack unit of a loaded device: its label, and on a click the device menu (open the
    editor, route to a track, MIDI input channel, clear MIDI mappings, remove). It holds no slot
    state: the rack gives it what the entries do as callbacks, and rebuilds every unit after a
    change, so a callback may delete the unit that called it. */
class PluginRackUnit : public RackUnit
{
public:
    // Menu result IDs.
    static constexpr int openEditorId = 1;
    static constexpr int removeId = 2;
    static constexpr int clearMidiMappingsId = 3;
    static constexpr int unassignedId = 99;
    static constexpr int firstTrackId = 100; // + n for "Track n"
    static constexpr int omniChannelId = 200; // + n for "Channel n"
    static constexpr int routingTracks = 24;

    PluginRackUnit (const juce::String& labelText, bool showRouting, int targetTrack, std::function<void()> onOpenEditor,
                    std::function<void()> onRemove, std::function<void (int)> onRoutingSelected, bool isInstrument,
                    std::function<void (int)> onMidiChannelSelected, std::function<void()> onClearMidiMappings);

    void mouseDown (const juce::MouseEvent&) override;
    void lookAndFeelChanged() override;
    void resized() override;

    /** The device menu as the unit shows it. */
    juce::PopupMenu buildMenu() const;

    /** Acts on a menu result. The unit may be gone by the time the menu answers (the rack was
        rebuilt meanwhile): then nothing is done. */
    static void deliverMenuResult (juce::Component::SafePointer<PluginRackUnit> unit, int result);

    juce::Label label;
    bool showRouting = false;
    int targetTrack = -1;
    std::function<void()> onOpenEditor;
    std::function<void()> onRemove;
    std::function<void (int)> onRoutingSelected;
    bool isInstrument = false;
    std::function<void (int)> onMidiChannelSelected;
    std::function<void()> onClearMidiMappings;
    bool menuOpen = false;

private:
    void handleMenuResult (int result);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginRackUnit)
};
