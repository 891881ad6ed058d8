// The channel strip's interactive side beyond its bindings: the input-source menu, the
// automation-mode menu, the group links of ARM, MUTE and SOLO, and the context menu on the meter
// with its erase and clear dialogs.

#include "ui/console/ChannelStripComponent.h"

#include "app/SafeAlertWindow.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/console/StudioConsoleComponent.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

namespace
{
enum MenuIds
{
    noInputsId = 9999,
    disconnectId = 999,
    eraseTrackId = 1,
    toggleMaskingTapeId = 2,
    clearAutomationId = 3,
    groupBaseId = 100
};

constexpr int instrumentSourceBase = 100;
constexpr int trackSourceBase = 200;
constexpr int auxSourceBase = 300;

/** Shows a menu at the mouse and hands its result to the strip, if the strip still exists. */
void showAtMouse (juce::PopupMenu menu, ChannelStripComponent& strip,
                  std::function<void (ChannelStripComponent&, int)> onResult)
{
    juce::Component::SafePointer<ChannelStripComponent> safeStrip (&strip);
    menu.showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                        [safeStrip, onResult] (int result) {
                            if (auto* s = safeStrip.getComponent())
                                onResult (*s, result);
                        });
}

/** The question before a destructive track operation; onConfirmed runs on the first button,
    only while the strip exists. The window deletes itself when dismissed. */
void confirm (ChannelStripComponent& strip, const juce::String& title, const juce::String& message,
              const juce::String& confirmText, std::function<void (ChannelStripComponent&)> onConfirmed)
{
    auto* window = new SafeAlertWindow (title, message, juce::MessageBoxIconType::WarningIcon);
    window->getProperties().set (SafeAlertWindow::bodyTextProperty, message);
    window->addButton (confirmText, 1, juce::KeyPress (juce::KeyPress::returnKey));
    window->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

    juce::Component::SafePointer<ChannelStripComponent> safeStrip (&strip);
    window->enterModalState (true, juce::ModalCallbackFunction::create ([safeStrip, onConfirmed] (int result) {
                                 if (result == 1)
                                     if (auto* s = safeStrip.getComponent())
                                         onConfirmed (*s);
                             }),
                             true);
}
} // namespace

//==============================================================================
// Input source

bool ChannelStripComponent::sourceLabelFor (int code, juce::String& text, juce::Colour& colour)
{
    colour = juce::Colours::white;

    if (code < 0)
    {
        text = "OFF";
        colour = juce::Colour (0xff808080);
    }
    else if (code < TavrelDelayAudioProcessor::maxTracks)
        text = "IN " + juce::String (code + 1);
    else if (code >= instrumentSourceBase && code <= 115)
        text = "VST " + juce::String ((code - instrumentSourceBase) / 2 + 1);
    else if (code < trackSourceBase)
        text = "OFF";
    else if (code < auxSourceBase)
        text = "TRK " + juce::String (code - 199);
    else if (code <= 303)
        text = juce::StringArray ("AX1 L", "AX1 R", "AX2 L", "AX2 R")[code - auxSourceBase];
    else
        return false;

    return true;
}

void ChannelStripComponent::updateInputSourceLabel()
{
    const int code = trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::maxTracks
                         ? processor.trackInputSources[(size_t) trackIndex]
                         : -1;
    juce::String text;
    juce::Colour colour;

    if (sourceLabelFor (code, text, colour))
        sourceButton.setButtonText (text);

    sourceButton.setColour (juce::TextButton::textColourOffId, colour);
}

juce::PopupMenu ChannelStripComponent::buildInputSourceMenu() const
{
    const int source = trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::maxTracks
                           ? processor.trackInputSources[(size_t) trackIndex]
                           : -1;
    juce::PopupMenu menu;

    menu.addSectionHeader ("Hardware Inputs");
    auto* device = processor.deviceManager != nullptr ? processor.deviceManager->getCurrentAudioDevice() : nullptr;
    const auto active = device != nullptr ? device->getActiveInputChannels() : juce::BigInteger();
    const auto names = device != nullptr ? device->getInputChannelNames() : juce::StringArray();

    if (active.isZero())
        menu.addItem (noInputsId, "(No Inputs Enabled)", false);

    // Only the first 24 device channels can feed a track.
    for (int channel = 0; channel < TavrelDelayAudioProcessor::maxTracks; ++channel)
        if (active[channel])
            menu.addItem (channel + 1, channel < names.size() ? names[channel] : "Input " + juce::String (channel + 1),
                          true, source == channel);

    // Eight instrument slots are rendered; their outputs have the codes 100..115.
    menu.addSectionHeader ("Digital Routing");
    for (int slot = 0; slot < (int) processor.instruments.size() && slot < 8; ++slot)
    {
        const auto& instrument = processor.instruments[(size_t) slot];
        const auto name = instrument != nullptr ? instrument->name : juce::String();
        for (int side = 0; side < 2; ++side)
        {
            const int code = instrumentSourceBase + 2 * slot + side;
            menu.addItem (code, "Inst " + juce::String (slot + 1) + (side == 0 ? " L (" : " R (") + name + ")", true,
                          source == code);
        }
    }

    menu.addSectionHeader ("Internal Bounce");
    for (int track = 0; track < (int) processor.tracks.size() && track < TavrelDelayAudioProcessor::maxTracks; ++track)
    {
        if (track == trackIndex)
            continue;

        auto text = "From Track " + juce::String (track + 1);
        const auto name = processor.parameters.state
                              .getProperty (juce::Identifier (ParameterIds::forTrack (ParameterIds::TrackName_, track + 1)))
                              .toString();
        if (name.isNotEmpty())
            text << " (" << name << ")";
        menu.addItem (trackSourceBase + track, text, true, source == trackSourceBase + track);
    }

    menu.addSectionHeader ("Aux Returns");
    const char* auxNames[] = {"From Aux 1 (Left)", "From Aux 1 (Right)", "From Aux 2 (Left)", "From Aux 2 (Right)"};
    for (int i = 0; i < 4; ++i)
        menu.addItem (auxSourceBase + i, auxNames[i], true, source == auxSourceBase + i);
    menu.addItem (disconnectId, "Disconnect (Mute)", true, source == -1);

    return menu;
}

void ChannelStripComponent::showInputSourceMenu()
{
    showAtMouse (buildInputSourceMenu(), *this, [] (ChannelStripComponent& s, int r) { s.applyInputSourceChoice (r); });
}

void ChannelStripComponent::applyInputSourceChoice (int result)
{
    if (result == 0 || result == noInputsId || trackIndex < 0 || trackIndex >= TavrelDelayAudioProcessor::maxTracks)
        return;

    processor.trackInputSources[(size_t) trackIndex] = result == disconnectId ? -1 : result < 100 ? result - 1 : result;
    updateInputSourceLabel();
}

//==============================================================================
// Automation mode and group links

juce::PopupMenu ChannelStripComponent::buildAutomationModeMenu() const
{
    const int mode = trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels
                         ? processor.automationModes[(size_t) trackIndex].load()
                         : 0;
    juce::PopupMenu menu;
    menu.addSectionHeader ("Automation Mode");
    menu.addItem (1, "Off", true, mode == 0);
    menu.addItem (2, "Read", true, mode == 1);
    menu.addItem (3, "Touch", true, mode == 2);
    menu.addItem (4, "Latch", true, mode == 3);
    menu.addSeparator();
    menu.addItem (5, "Write (Overwrite)", true, mode == 4);
    return menu;
}

void ChannelStripComponent::showAutomationModeMenu()
{
    showAtMouse (buildAutomationModeMenu(), *this,
                 [] (ChannelStripComponent& s, int r) { s.applyAutomationModeChoice (r); });
}

void ChannelStripComponent::applyAutomationModeChoice (int result)
{
    if (result < 1 || result > 5)
        return;

    const int mode = result - 1;
    if (trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels)
        processor.automationModes[(size_t) trackIndex] = mode;
    for (int partner : getGroupPartners())
        processor.automationModes[(size_t) partner] = mode;

    updateAutomationIndicator();
}

std::vector<int> ChannelStripComponent::getGroupPartners() const
{
    const int group = trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels
                          ? processor.channelGroups[(size_t) trackIndex].load()
                          : 0;
    if (! processor.isGroupActive (group))
        return {};

    std::vector<int> partners;
    const int count = juce::jmin ((int) processor.tracks.size(), TavrelDelayAudioProcessor::numChannels);
    for (int track = 0; track < count; ++track)
        if (track != trackIndex && processor.channelGroups[(size_t) track].load() == group)
            partners.push_back (track);
    return partners;
}

void ChannelStripComponent::onArmClicked()
{
    if (trackIndex < 0 || trackIndex >= (int) processor.tracks.size())
        return;

    const bool armed = armButton.getToggleState();
    processor.tracks[(size_t) trackIndex].armed = armed;

    const auto partners = getGroupPartners();
    for (int partner : partners)
        processor.tracks[(size_t) partner].armed = armed;

    // The partners' strips take the state up on their next tick.
    if (! partners.empty())
        if (auto* console = findParentComponentOfClass<StudioConsoleComponent>())
            console->repaint();

    repaint();
}

void ChannelStripComponent::onLinkedToggleClicked (juce::TextButton& button, const char* prefix)
{
    // The button's own attachment has set this track's parameter already.
    const float value = button.getToggleState() ? 1.0f : 0.0f;
    for (int partner : getGroupPartners())
        if (auto* parameter = processor.parameters.getParameter (ParameterIds::forTrack (prefix, partner + 1)))
            parameter->setValueNotifyingHost (value);
}

//==============================================================================
// Context menu

void ChannelStripComponent::mouseDown (const juce::MouseEvent& e)
{
    const auto position = e.getEventRelativeTo (this).getPosition();
    if (position.x < 4 || position.y < 4 || position.x >= getWidth() - 4 || position.y >= 50)
        return;

    const auto now = getMillisecondCounter();
    const auto previous = lastMeterClickTime;
    lastMeterClickTime = now;

    if (! e.mods.isRightButtonDown() && now - previous >= 400)
        return;

    lastMeterClickTime = 0;
    showAtMouse (buildContextMenu(), *this, [] (ChannelStripComponent& s, int r) { s.handleContextMenuResult (r); });
}

juce::PopupMenu ChannelStripComponent::buildContextMenu() const
{
    static const char* colourNames[] = {" (Red)", " (Blue)", " (Green)", " (Yellow)",
                                        " (Purple)", " (Cyan)", " (Orange)", " (Pink)"};
    const int group = trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels
                          ? processor.channelGroups[(size_t) trackIndex].load()
                          : 0;

    juce::PopupMenu groups;
    groups.addSectionHeader ("Assign Track to Group");
    groups.addItem (groupBaseId, "None", true, group == 0);
    for (int g = 1; g <= TavrelDelayAudioProcessor::numGroups; ++g)
    {
        if (! processor.isGroupActive (g))
            continue;

        auto name = processor.getGroupName (g);
        if (name.isEmpty())
            name = "Group " + juce::String (g);
        groups.addItem (groupBaseId + g, name + colourNames[g - 1], true, group == g);
    }

    juce::PopupMenu menu;
    menu.addSectionHeader ("Track " + juce::String (trackIndex + 1));
    menu.addSubMenu ("Link / Group Fader", groups);
    menu.addSeparator();
    menu.addItem (eraseTrackId, "Erase Track (Clear Audio)");
    menu.addItem (clearAutomationId, "Clear Automation");
    menu.addSeparator();
    menu.addItem (toggleMaskingTapeId, "Toggle Masking Tape (Scribble Strip)");
    return menu;
}

void ChannelStripComponent::handleContextMenuResult (int result)
{
    if (result >= groupBaseId && result <= groupBaseId + TavrelDelayAudioProcessor::numGroups)
    {
        if (trackIndex >= 0 && trackIndex < TavrelDelayAudioProcessor::numChannels)
        {
            processor.channelGroups[(size_t) trackIndex] = result - groupBaseId;
            processor.unsavedChanges = true;
        }
        repaint();
        return;
    }

    const int track = trackIndex;
    const auto n = juce::String (track + 1);

    switch (result)
    {
        case toggleMaskingTapeId:
            if (auto* editor = findParentComponentOfClass<TavrelDelayAudioProcessorEditor>())
                editor->toggleMaskingTape();
            break;

        case eraseTrackId:
            confirm (*this, "Erase Track " + n + "?",
                     "Are you sure you want to permanently erase all audio on this track?\nThis cannot be undone.",
                     "ERASE", [track] (ChannelStripComponent& s) {
                         if (track >= 0 && track < s.processor.numTracks)
                             s.processor.clearTrack (track);
                     });
            break;

        case clearAutomationId:
            confirm (*this, "Clear Automation?",
                     "Remove all automation data for Track " + n + "?\nMode will reset to OFF.", "CLEAR",
                     [track] (ChannelStripComponent& s) {
                         s.processor.clearAutomation (track);
                         if (track >= 0 && track < TavrelDelayAudioProcessor::numChannels)
                             s.processor.automationModes[(size_t) track] = TavrelDelayAudioProcessor::automationOff;
                         s.updateAutomationIndicator();
                     });
            break;

        default:
            break;
    }
}
