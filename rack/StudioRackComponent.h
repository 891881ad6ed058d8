#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/RackUnit.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The rack panel of the console: a scrolling column of rack units in three sections, the
    instrument slots (up to eight), the record-path inserts (up to twelve) and the two aux
    returns. It loads built-in devices and known plug-ins into them, routes a new instrument to
    tape tracks, opens every device's window and starts the plug-in scan and manager.

    It holds no slot state: every rebuild reads the processor's slot lists afresh and throws the
    old units away. Construction, layout and the units are in StudioRackComponent.cpp; the library
    menu and loading in StudioRackComponentLibrary.cpp; the route dialog, MIDI mappings and windows
    in StudioRackComponentWindows.cpp. Message thread only. */
class StudioRackComponent : public juce::Component
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;
    using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

    explicit StudioRackComponent (TavrelDelayAudioProcessor& processorToUse);
    ~StudioRackComponent() override;

    void resized() override;

    static constexpr int maxInputInserts = 12;
    static constexpr int unitGap = 2;
    static constexpr int headerHeight = 18;

    /** How long the rack waits for a plug-in it asked for before it gives up. */
    int pluginLoadTimeoutMs = 30000;

    void rebuild();
    void addUnit (RackUnit* unit, int& y);
    void addSectionHeader (const juce::String& text, int y);

    /** The library menu of a target (RackIds::Target) as showPluginLibraryMenu shows it. */
    juce::PopupMenu buildPluginLibraryMenu (int target) const;
    void showPluginLibraryMenu (int target);
    void handlePluginLibraryChoice (int target, int result);

    /** One plug-in request of the rack, filled in by the processor's completion. */
    struct PendingLoad
    {
        bool done = false;
        std::shared_ptr<InsertPlugin> insert;
        std::shared_ptr<InstrumentPlugin> instrument;
        juce::AudioPluginInstance* auxPlugin = nullptr;
        juce::uint32 startedMs = 0;
    };

    using ShowRouteDialog = std::function<void (int instrumentIndex, std::function<void()> onDone)>;

    /** Follow-up of one plug-in request: checks every 100 ms until the request's own plug-in has
        arrived (or failed, or the time-out passed), then rebuilds and opens its editor or, for an
        instrument, the route dialog. */
    static void waitForPluginLoad (juce::Component::SafePointer<StudioRackComponent> rack, int target,
                                   std::shared_ptr<PendingLoad> pending, ShowRouteDialog showRouteDialog);

    /** Requests waiting for their plug-in, over every rack. */
    static int getNumWaitingLoads();

    /** The route dialog's items for the open reel. */
    juce::StringArray routeItems() const;
    void showRouteInstrumentDialog (int instrumentIndex, std::function<void()> onDone);
    /** The route dialog's answer: result 1 routes to the tracks of item destinationItem. */
    void routeInstrumentToTrack (int result, int instrumentIndex, int destinationItem);

    void clearInstrumentMidiMappings (int instrumentIndex);

    void openPluginEditor (juce::AudioPluginInstance* instance);
    void openBuiltInEffectEditor (int auxNumber, int type);
    void rememberPluginWindow (juce::DocumentWindow* window);
    void closeAllPluginWindows();
    void applyPluginManagerResult (const juce::StringArray& filesToScan, const juce::StringArray& filesToForget);

    /** Makes the window of a built-in instrument slot (shown, deleting itself when closed).
        Empty while the program has no instrument windows: built-in instruments then open
        nothing. */
    static std::function<juce::DocumentWindow* (TavrelDelayAudioProcessor&, InstrumentPlugin&)> makeInstrumentWindow;

    /** The component property by which a remembered window names the slot it edits. */
    static constexpr const char* slotProperty = "rackSlot";

    //==============================================================================
    juce::Array<juce::Component::SafePointer<juce::Component>> pluginWindows;
    std::function<void()> onRoutingChanged;
    TavrelDelayAudioProcessor* processor = nullptr;
    juce::Viewport viewport;
    juce::Component content;
    juce::OwnedArray<RackUnit> units;
    juce::OwnedArray<juce::Label> headers;

private:
    void addInstrumentUnits (int& y);
    void addInputInsertUnits (int& y);
    void addAuxUnit (int aux, int& y);

    void openInstrumentWindow (const std::shared_ptr<InstrumentPlugin>& slot);
    void openInsertEffectWindow (const std::shared_ptr<InsertPlugin>& slot);
    juce::DocumentWindow* findRememberedWindow (const void* slot) const;

    /** Takes the hosted plug-in out of an aux return (0 or 1) and lets it go once its editor
        window is closed; its path is emptied. */
    void takeOutAuxPlugin (int aux);
    void addInstrumentPluginFromLibrary (const juce::PluginDescription& type);
    void loadPluginFromLibrary (int target, const juce::PluginDescription& type);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StudioRackComponent)
};
