#pragma once

#include "app/SafeWindowConstrainer.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include "platform/ProgramWindows.h"

#include <functional>
#include <memory>

class TavrelDelayAudioProcessor;

/** "Reorder Tracks": the open reel's tracks as rows; dragging one row onto another swaps the two
    tracks (audio, defects, routing, automation, parameters and names). It follows the open reel:
    when another reel is opened it lists that one's tracks, and when the reel is ejected it
    closes, so a drop never names a track the reel does not have. Create it with new; it deletes
    itself when closed. */
class TrackReorderWindow : public juce::DocumentWindow, public juce::DragAndDropContainer, private juce::Timer
{
public:
    TrackReorderWindow (TavrelDelayAudioProcessor& processor, std::function<void()> onTracksSwapped);
    ~TrackReorderWindow() override;

    /** One track's row: drag it onto another row to swap the two. */
    class TrackRow : public juce::Component, public juce::DragAndDropTarget
    {
    public:
        TrackRow (int trackIndex, const juce::String& trackName, TrackReorderWindow& window);

        void paint (juce::Graphics& g) override;
        void mouseDown (const juce::MouseEvent& event) override;

        bool isInterestedInDragSource (const SourceDetails& details) override;
        void itemDragEnter (const SourceDetails& details) override;
        void itemDragExit (const SourceDetails& details) override;
        void itemDropped (const SourceDetails& details) override;

        const int trackIndex;
        const juce::String trackName;
        TrackReorderWindow& window;
        bool highlighted = false;
    };

    /** Rebuilds the rows from the processor's tracks and names. */
    void rebuildRows();

    /** Swaps two tracks when both are tracks of the reel the rows show; otherwise the rows are
        rebuilt from the reel as it is now and nothing is swapped. */
    void swapRows (int sourceIndex, int targetIndex);

    void closeButtonPressed() override;
    bool keyPressed (const juce::KeyPress& key) override;

    static constexpr const char* dragDescription = "ReorderRow";
    static constexpr int rowHeight = 30;
    static constexpr int rowWidth = 300;

    std::function<void()> onTracksSwapped;
    TavrelDelayAudioProcessor& processor;
    std::unique_ptr<juce::Component> rowHolder;
    juce::OwnedArray<TrackRow> rows;
    SafeWindowConstrainer constrainer;

private:
    /** The reel the rows were built from; the timer compares it with the open one. */
    juce::String shownReel;
    int shownTracks = 0;

    bool showsOpenReel() const;
    void timerCallback() override;

    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TrackReorderWindow)
};
