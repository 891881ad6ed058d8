// The rack's route dialog, MIDI mappings and the device windows it opens.

#include "rack/StudioRackComponent.h"

#include "app/SafeAlertWindow.h"
#include "engine/ParameterIds.h"
#include "rack/InternalEffectWindow.h"
#include "rack/RackIds.h"
#include "rack/SlotEditorWindows.h"

juce::StringArray StudioRackComponent::routeItems() const
{
    const int trackCount = juce::jmin ((int) processor->tracks.size(), TavrelDelayAudioProcessor::maxTracks);
    const auto suffix = [this] (int n)
    {
        const auto name = processor->parameters.state
                              .getProperty (juce::Identifier (ParameterIds::forTrack (ParameterIds::TrackName_, n)))
                              .toString();
        return name.isNotEmpty() ? " (" + name + ")" : juce::String();
    };

    juce::StringArray items { RackIds::doNotRoute };
    for (int n = 1; n <= trackCount; ++n)
    {
        items.add ("Track " + juce::String (n) + suffix (n) + " (Mono)");
        if (n < trackCount)
            items.add ("Track " + juce::String (n) + suffix (n) + " & Track " + juce::String (n + 1) + suffix (n + 1)
                       + " (Stereo)");
    }
    return items;
}

void StudioRackComponent::showRouteInstrumentDialog (int instrumentIndex, std::function<void()> onDone)
{
    auto* dialog = new SafeAlertWindow (RackIds::routeTitle, RackIds::routeMessage, juce::MessageBoxIconType::QuestionIcon);
    dialog->getProperties().set (SafeAlertWindow::bodyTextProperty, RackIds::routeMessage);
    dialog->addComboBox (RackIds::routeCombo, routeItems(), RackIds::routeComboLabel);
    dialog->addButton (RackIds::routeButton, 1, juce::KeyPress (juce::KeyPress::returnKey));
    dialog->addButton (RackIds::cancelButton, 0, juce::KeyPress (juce::KeyPress::escapeKey));
    dialog->setAlwaysOnTop (true);

    juce::Component::SafePointer<StudioRackComponent> rack (this);
    juce::Component::SafePointer<SafeAlertWindow> safeDialog (dialog);

    dialog->enterModalState (true,
                             juce::ModalCallbackFunction::create (
                                 [rack, safeDialog, instrumentIndex, onDone] (int result)
                                 {
                                     int item = 0;
                                     if (auto* shown = safeDialog.getComponent())
                                     {
                                         if (auto* box = shown->getComboBoxComponent (RackIds::routeCombo))
                                             item = box->getSelectedItemIndex();
                                     }

                                     if (auto* self = rack.getComponent())
                                         self->routeInstrumentToTrack (result, instrumentIndex, item);

                                     delete safeDialog.getComponent();

                                     if (rack != nullptr && onDone != nullptr)
                                         onDone();
                                 }),
                             false);
}

void StudioRackComponent::routeInstrumentToTrack (int result, int instrumentIndex, int destinationItem)
{
    if (result != 1 || destinationItem <= 0)
        return;

    const int trackCount = juce::jmin ((int) processor->tracks.size(), TavrelDelayAudioProcessor::maxTracks);
    const int track = (destinationItem - 1) / 2;
    if (track >= trackCount)
        return;

    const auto monitorToInput = [this] (int trackIndex)
    {
        if (auto* monitor = processor->parameters.getParameter (ParameterIds::forTrack (ParameterIds::MON_, trackIndex + 1)))
            monitor->setValueNotifyingHost (0.0f);
    };

    processor->trackInputSources[(size_t) track] = instrumentIndex * 2 + 100;
    monitorToInput (track);

    if (destinationItem % 2 == 0 && track + 1 < trackCount)
    {
        processor->trackInputSources[(size_t) track + 1] = instrumentIndex * 2 + 101;
        monitorToInput (track + 1);
    }

    if (onRoutingChanged != nullptr)
        onRoutingChanged();
}

void StudioRackComponent::clearInstrumentMidiMappings (int instrumentIndex)
{
    if (instrumentIndex < 0 || instrumentIndex >= (int) processor->instruments.size())
        return;

    const auto& slot = processor->instruments[(size_t) instrumentIndex];
    if (slot == nullptr)
        return;

    const auto prefix = "INST_" + juce::String (slot->builtInType) + "_";
    auto& map = processor->midiMap;

    for (auto it = map.begin(); it != map.end();)
        it = it->second.startsWith (prefix) ? map.erase (it) : std::next (it);

    processor->saveGlobalMidiMap();
}

//==============================================================================
void StudioRackComponent::openPluginEditor (juce::AudioPluginInstance* instance)
{
    if (instance == nullptr)
        return;

    const auto id = SlotEditorWindows::windowId (instance);
    if (! SlotEditorWindows::bringToFront (id))
        SlotEditorWindows::openHostedEditor (*processor, instance, id);
}

juce::DocumentWindow* StudioRackComponent::findRememberedWindow (const void* slot) const
{
    for (const auto& entry : pluginWindows)
    {
        auto* window = dynamic_cast<juce::DocumentWindow*> (entry.getComponent());
        if (window == nullptr)
            continue;

        if (auto* effectWindow = dynamic_cast<InternalEffectWindow*> (window))
        {
            if (effectWindow->settings != nullptr && effectWindow->settings == slot)
                return window;
        }
        else if ((juce::int64) window->getProperties()[slotProperty] == (juce::int64) (juce::pointer_sized_int) slot)
        {
            return window;
        }
    }

    return nullptr;
}

void StudioRackComponent::openInstrumentWindow (const std::shared_ptr<InstrumentPlugin>& slot)
{
    if (slot == nullptr)
        return;

    if (auto* window = findRememberedWindow (slot.get()))
    {
        window->toFront (true);
        return;
    }

    if (makeInstrumentWindow == nullptr)
        return;

    if (auto* window = makeInstrumentWindow (*processor, *slot))
    {
        window->getProperties().set (slotProperty, (juce::int64) (juce::pointer_sized_int) slot.get());
        rememberPluginWindow (window);
    }
}

void StudioRackComponent::openInsertEffectWindow (const std::shared_ptr<InsertPlugin>& slot)
{
    if (slot == nullptr)
        return;

    if (auto* window = findRememberedWindow (slot.get()))
    {
        window->toFront (true);
        return;
    }

    rememberPluginWindow (new InternalEffectWindow (*processor, slot->builtInType, slot.get()));
}

void StudioRackComponent::openBuiltInEffectEditor (int auxNumber, int type)
{
    for (const auto& entry : pluginWindows)
    {
        if (auto* window = dynamic_cast<InternalEffectWindow*> (entry.getComponent());
            window != nullptr && window->auxKey == auxNumber)
        {
            window->toFront (true);
            return;
        }
    }

    auto* window = new InternalEffectWindow (*processor, type, nullptr);
    window->auxKey = auxNumber;
    rememberPluginWindow (window);
}

void StudioRackComponent::rememberPluginWindow (juce::DocumentWindow* window)
{
    pluginWindows.removeIf ([] (const juce::Component::SafePointer<juce::Component>& entry) { return entry == nullptr; });
    pluginWindows.add (window);
}

void StudioRackComponent::closeAllPluginWindows()
{
    for (auto& entry : pluginWindows)
        if (auto* window = dynamic_cast<juce::DocumentWindow*> (entry.getComponent()))
            delete window;

    pluginWindows.clear();
}
