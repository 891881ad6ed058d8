#pragma once

#include "app/SafeWindowConstrainer.h"
#include "rack/PluginListRow.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include "platform/ProgramWindows.h"

#include <functional>
#include <memory>
#include <vector>

/** One line of the plug-in manager: a discovered file, a known plug-in, or both. */
struct PluginManagerEntry
{
    juce::String path;      // the discovered file, or a missing plug-in's known file
    juce::String knownPath; // fileOrIdentifier of the matching known description; empty when none
    juce::String name;
    juce::String manufacturer;
    juce::String format; // "VST3" or "AU"
    bool isKnown = false;
    bool selected = true;
    bool visible = true;
};

/** The "Plugin Manager": every discovered plug-in file and every known plug-in with a tick box.
    "Scan / Update Selected" hands onDone the ticked files not known yet (to scan) and the known
    plug-ins that were unticked (to forget), then closes. The window owns itself: construct it
    with new and keep no pointer; it deletes itself when closed. */
class PluginManagerWindow : public juce::DocumentWindow
{
public:
    using DoneCallback = std::function<void (const juce::StringArray& toScan, const juce::StringArray& toForget)>;

    PluginManagerWindow (const juce::StringArray& discoveredFiles, juce::KnownPluginList* list, DoneCallback onDone);
    ~PluginManagerWindow() override;

    /** The manager's lines: the discovered files in order, then the known plug-ins no file
        matched, marked " (Missing)". */
    static std::vector<PluginManagerEntry> buildEntries (const juce::StringArray& discoveredFiles,
                                                         const juce::KnownPluginList* list);

    void applyFilter();
    void rebuildRows();
    void rowClicked (int entryIndex, const juce::MouseEvent& event);
    void applySelection();

    void closeButtonPressed() override;
    bool keyPressed (const juce::KeyPress&) override;
    void resized() override;

    std::vector<PluginManagerEntry> entries;
    juce::Array<int> visibleRows;
    int lastClickedIndex = -1;
    juce::TextEditor searchBox;
    juce::TextButton scanButton, allButton, noneButton;
    juce::TextButton vst3Toggle, auToggle;
    std::unique_ptr<juce::Viewport> viewport;
    std::unique_ptr<juce::Component> listContent;
    juce::OwnedArray<PluginListRow> rows;
    DoneCallback onDone;
    SafeWindowConstrainer constrainer;

private:
    juce::Component content;

    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginManagerWindow)
};
