#include "rack/PluginRackUnit.h"

PluginRackUnit::PluginRackUnit (const juce::String& labelText, bool routing, int track, std::function<void()> openEditor,
                                std::function<void()> remove, std::function<void (int)> routingSelected,
                                bool instrument, std::function<void (int)> midiChannelSelected,
                                std::function<void()> clearMidiMappings)
    : RackUnit (labelText),
      showRouting (routing),
      targetTrack (track),
      onOpenEditor (std::move (openEditor)),
      onRemove (std::move (remove)),
      onRoutingSelected (std::move (routingSelected)),
      isInstrument (instrument),
      onMidiChannelSelected (std::move (midiChannelSelected)),
      onClearMidiMappings (std::move (clearMidiMappings))
{
    label.setText (labelText, juce::dontSendNotification);
    label.setJustificationType (juce::Justification::centred);
    label.setFont (juce::Font (14.0f, juce::Font::bold));
    label.setMinimumHorizontalScale (0.6f); // squeeze long names before cutting them short
    label.setInterceptsMouseClicks (false, false);
    label.setColour (juce::Label::textColourId, labelColour());
    addAndMakeVisible (label);
}

void PluginRackUnit::lookAndFeelChanged()
{
    label.setColour (juce::Label::textColourId, labelColour());
}

void PluginRackUnit::resized()
{
    label.setBounds (25, 0, getWidth() - 50, getHeight());
}

juce::PopupMenu PluginRackUnit::buildMenu() const
{
    juce::PopupMenu menu;
    menu.addItem (openEditorId, "Open Editor");
    menu.addSeparator();

    if (showRouting)
    {
        juce::PopupMenu routing;
        routing.addItem (unassignedId, "Unassigned", true, targetTrack == -1);
        for (int n = 1; n <= routingTracks; ++n)
            routing.addItem (firstTrackId + n, "Track " + juce::String (n), true, n == targetTrack + 1);
        menu.addSubMenu ("Routing", routing);
        menu.addSeparator();
    }

    if (isInstrument)
    {
        juce::PopupMenu channels;
        channels.addItem (omniChannelId, "Omni (All Channels)");
        for (int n = 1; n <= 16; ++n)
            channels.addItem (omniChannelId + n, "Channel " + juce::String (n));
        menu.addSubMenu ("MIDI Input Channel", channels);
        menu.addItem (clearMidiMappingsId, "Clear MIDI Mappings");
        menu.addSeparator();
    }

    menu.addItem (removeId, "Remove Plugin");
    return menu;
}

void PluginRackUnit::mouseDown (const juce::MouseEvent&)
{
    if (menuOpen)
        return;
    menuOpen = true;

    juce::Component::SafePointer<PluginRackUnit> self (this);
    buildMenu().showMenuAsync (juce::PopupMenu::Options(), [self] (int result) { deliverMenuResult (self, result); });
}

void PluginRackUnit::deliverMenuResult (juce::Component::SafePointer<PluginRackUnit> unit, int result)
{
    if (auto* target = unit.getComponent())
        target->handleMenuResult (result);
}

void PluginRackUnit::handleMenuResult (int result)
{
    menuOpen = false;

    // Each callback may rebuild the rack and delete this unit: nothing of it is touched after.
    if (result == openEditorId)
    {
        if (onOpenEditor)
            onOpenEditor();
    }
    else if (result == removeId)
    {
        if (onRemove)
            onRemove();
    }
    else if (result == clearMidiMappingsId)
    {
        if (onClearMidiMappings)
            onClearMidiMappings();
    }
    else if (result >= omniChannelId && result <= omniChannelId + 16)
    {
        if (onMidiChannelSelected)
            onMidiChannelSelected (result - omniChannelId);
    }
    else if (result == unassignedId || (result > firstTrackId && result <= firstTrackId + routingTracks))
    {
        targetTrack = result == unassignedId ? -1 : result - firstTrackId - 1;
        juce::Component::SafePointer<PluginRackUnit> self (this);
        if (onRoutingSelected)
            onRoutingSelected (targetTrack);
        if (self != nullptr)
            repaint();
    }
}
