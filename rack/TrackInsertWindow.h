#pragma once

#include "rack/InsertChainWindow.h"

/** "Track n Inserts": the first four inserts of one track's chain after the tape (the entries of
    the track chain that serve this track, in list order). A channel strip's insert key opens it. */
class TrackInsertWindow : public InsertChainWindow
{
public:
    TrackInsertWindow (TavrelDelayAudioProcessor& processor, int trackIndex);

    const int trackIndex;

protected:
    const char* dragDescription() const override;
    void addBuiltInEffect (int type) override;
    void addPlugin (const juce::PluginDescription&, TavrelDelayAudioProcessor::InsertAdded onAdded) override;
    void removeInsert (int index) override;
    void droppedOntoEmptySlot() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TrackInsertWindow)
};
