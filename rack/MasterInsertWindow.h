#pragma once

#include "rack/InsertChainWindow.h"

/** "Master Bus Inserts": the master chain's first four inserts. The deck's MASTER FX button
    opens it. */
class MasterInsertWindow : public InsertChainWindow
{
public:
    explicit MasterInsertWindow (TavrelDelayAudioProcessor& processor);

protected:
    const char* dragDescription() const override;
    void addBuiltInEffect (int type) override;
    void addPlugin (const juce::PluginDescription&, TavrelDelayAudioProcessor::InsertAdded onAdded) override;
    void removeInsert (int index) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MasterInsertWindow)
};
