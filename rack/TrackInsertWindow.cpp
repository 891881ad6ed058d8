#include "rack/TrackInsertWindow.h"

#include "rack/RackIds.h"

TrackInsertWindow::TrackInsertWindow (TavrelDelayAudioProcessor& p, int track)
    : InsertChainWindow (p, "Track " + juce::String (track + 1) + " Inserts", p.trackInserts, track), trackIndex (track)
{
}

const char* TrackInsertWindow::dragDescription() const
{
    return RackIds::trackDragDescription;
}

void TrackInsertWindow::addBuiltInEffect (int type)
{
    processor.addBuiltInEffect (type, trackIndex, TavrelDelayAudioProcessor::TrackInserts);
}

void TrackInsertWindow::addPlugin (const juce::PluginDescription& description,
                                   TavrelDelayAudioProcessor::InsertAdded onAdded)
{
    processor.addTrackInsertPlugin (description, trackIndex, std::move (onAdded));
}

void TrackInsertWindow::removeInsert (int index)
{
    processor.removeTrackInsert (index);
}

void TrackInsertWindow::droppedOntoEmptySlot()
{
    processor.unsavedChanges = true;
}
