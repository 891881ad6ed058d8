#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessorEditor::toggleMaskingTape()
{
    maskingTapeVisible = ! maskingTapeVisible;
    // A change of the reel's state tree: the reel counts as changed.
    audioProcessor.parameters.state.setProperty (ParameterIds::ShowMaskingTape, maskingTapeVisible, nullptr);
    backgroundCache = {};
    console->setMaskingTapeVisible (maskingTapeVisible);
    repaint();
}
