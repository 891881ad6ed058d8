#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

/** A small floating window of four insert slots of one chain after the tape: add a built-in
    effect or a known plug-in into the first free slot, bypass, open the editor of or remove a
    slot, and swap two slots by dragging one onto the other. MasterInsertWindow and
    TrackInsertWindow are its two kinds; they say which chain and which of its entries the slots
    show. Deletes itself when closed. Message thread only. */
class InsertChainWindow : public juce::DocumentWindow,
                          public juce::Timer,
                          public juce::DragAndDropContainer,
                          public juce::DragAndDropTarget
{
public:
    using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

    static constexpr int windowWidth = 260;
    static constexpr int windowHeight = 320;
    static constexpr int numSlots = 4;
    static constexpr int firstSlotY = 45;
    static constexpr int slotPitch = 40;
    static constexpr int slotHeight = 35;
    static constexpr int repaintMs = 200;
    static constexpr juce::uint32 menuClickGuardMs = 250;

    ~InsertChainWindow() override;

    /** The slot at window y, or -1: slot k covers 45 + 40 k up to the next slot. */
    static int slotIndexAt (int y);

    /** Positions in the chain of the inserts the slots show, in slot order (all of them, also
        beyond the fourth slot). */
    juce::Array<int> shownPositions() const;

    /** The insert slot k shows, or null. */
    std::shared_ptr<InsertPlugin> insertInSlot (int k) const;

    juce::PopupMenu buildPluginLibraryMenu() const;
    void showPluginLibraryMenu();
    void handlePluginLibraryChoice (int result);

    juce::PopupMenu buildSlotMenu (int index) const;
    void showSlotMenu (int index);
    void handleSlotMenuChoice (int index, int result);

    void applyPluginManagerResult (const juce::StringArray& filesToScan, const juce::StringArray& filesToForget);

    /** Swaps the inserts of two slots (a drop of slot from onto slot to). */
    void dropSlot (int from, int to);

    // juce::Component
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;

    // juce::DocumentWindow
    void closeButtonPressed() override;

    // juce::Timer
    void timerCallback() override;

    // juce::DragAndDropTarget
    bool isInterestedInDragSource (const SourceDetails&) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;
    void itemDropped (const SourceDetails&) override;

    TavrelDelayAudioProcessor& processor;
    juce::uint32 lastSlotMenuTime = 0;
    SafeWindowConstrainer constrainer;
    juce::ComponentDragger dragger;

protected:
    /** shownTrack: the track whose entries of the chain the slots show, or -1 for all of them.
        The window paints while it is put on the screen, before a derived part exists: what it
        paints is fixed here. */
    InsertChainWindow (TavrelDelayAudioProcessor& processor, const juce::String& title,
                       std::vector<std::shared_ptr<InsertPlugin>>& chain, int shownTrack);

    /** The chain the window edits. */
    std::vector<std::shared_ptr<InsertPlugin>>& chain() const { return chainList; }
    /** Whether a chain entry belongs to this window's slots. */
    bool shows (const InsertPlugin& slot) const { return shownTrack < 0 || slot.targetTrack == shownTrack; }
    virtual const char* dragDescription() const = 0;
    virtual void addBuiltInEffect (int type) = 0;
    virtual void addPlugin (const juce::PluginDescription&, TavrelDelayAudioProcessor::InsertAdded onAdded) = 0;
    virtual void removeInsert (int index) = 0;
    /** A drop onto a slot without an insert: the track window marks the reel changed. */
    virtual void droppedOntoEmptySlot() {}

private:
    std::vector<std::shared_ptr<InsertPlugin>>& chainList;
    const int shownTrack;

    int hoverSlot() const;
    void openSlotEditor (const std::shared_ptr<InsertPlugin>& slot);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InsertChainWindow)
};
