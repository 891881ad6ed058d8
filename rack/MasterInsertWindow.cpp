#include "rack/MasterInsertWindow.h"

#include "rack/RackIds.h"

MasterInsertWindow::MasterInsertWindow (TavrelDelayAudioProcessor& p) : InsertChainWindow (p, RackIds::masterWindowTitle, p.masterInserts, -1)
{
}

const char* MasterInsertWindow::dragDescription() const
{
    return RackIds::masterDragDescription;
}

void MasterInsertWindow::addBuiltInEffect (int type)
{
    processor.addBuiltInEffect (type, -1, TavrelDelayAudioProcessor::MasterInserts);
}

void MasterInsertWindow::addPlugin (const juce::PluginDescription& description,
                                    TavrelDelayAudioProcessor::InsertAdded onAdded)
{
    processor.addMasterInsertPlugin (description, std::move (onAdded));
}

void MasterInsertWindow::removeInsert (int index)
{
    processor.removeMasterInsert (index);
}
