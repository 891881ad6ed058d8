// The MIXDOWN button and menu command 2: ends a running live mixdown and tells where it went, or
// opens the export panel sized for the longest recording on the reel.

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/GuardedAudioReader.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/panels/ExportPanel.h"

namespace
{
using Editor = TavrelDelayAudioProcessorEditor;

constexpr double minimumExportSeconds = 5.0;

void removeExportPanels (juce::Component& deckPanel)
{
    while (auto* panel = deckPanel.findChildWithID (EditorIds::exportOverlay))
    {
        deckPanel.removeChildComponent (panel);
        delete panel;
    }
}

/** The longest recording on any track, in seconds; never under the minimum. */
double exportLength (TavrelDelayAudioProcessor& processor)
{
    auto length = minimumExportSeconds;
    const auto rate = processor.getSampleRate();

    if (rate > 0.0)
        for (const auto& track : processor.tracks)
            length = juce::jmax (length, (double)track.recordedLength / rate);

    return length;
}

/** Whether the finished live mixdown reads back as a WAV file with audio in it. */
juce::Result checkLiveMixdown (const juce::File& file)
{
    if (file == juce::File())
        return juce::Result::fail ("No file was being written.");

    juce::String problem;
    const auto reader = GuardedAudioReader::openWav (file, &problem);

    if (reader == nullptr)
        return juce::Result::fail (problem.isNotEmpty() ? problem
                                                        : "\"" + file.getFullPathName() + "\" cannot be read.");

    if (reader->lengthInSamples < 1)
        return juce::Result::fail ("Nothing was recorded into \"" + file.getFullPathName() + "\".");

    return juce::Result::ok();
}
} // namespace

void TavrelDelayAudioProcessorEditor::mixdownClicked()
{
    if (audioProcessor.liveBounceActive.load())
    {
        finishLiveMixdown();
        return;
    }

    closeAllSecondaryWindows();

    // One export panel at a time: a second command replaces the open one.
    removeExportPanels (deckPanel);

    auto safe = juce::Component::SafePointer<Editor> (this);
    auto* panel =
        new ExportPanel (audioProcessor, exportLength (audioProcessor),
                         [safe]
                         {
                             // Never deleted from inside its own callback.
                             juce::MessageManager::callAsync (
                                 [safe]
                                 {
                                     if (auto* editor = safe.getComponent())
                                         if (auto* open = editor->deckPanel.findChildWithID (EditorIds::exportOverlay))
                                         {
                                             editor->deckPanel.removeChildComponent (open);
                                             delete open;
                                         }
                                 });
                         });
    panel->onLiveBounceStarted = [safe] (const juce::File& file)
    {
        if (auto* editor = safe.getComponent())
        {
            editor->liveMixdownFile = file;
            editor->mixdownButton.setVisible (true); // it ends the mixdown
        }
    };
    panel->setComponentID (EditorIds::exportOverlay);
    deckPanel.addAndMakeVisible (panel);
    panel->setBounds (juce::Rectangle<int> (ExportPanel::panelWidth, ExportPanel::panelHeight)
                          .withCentre (deckPanel.getLocalBounds().getCentre()));
    panel->toFront (true);
}

void TavrelDelayAudioProcessorEditor::finishLiveMixdown()
{
    audioProcessor.stopLiveBounce();

    const auto file = liveMixdownFile;
    liveMixdownFile = juce::File();
    mixdownButton.setVisible (false);

    // Success is told only for a file that reads back.
    const auto check = checkLiveMixdown (file);

    if (check.failed())
    {
        FlowDialog::notify ("Mixdown Failed", "The live mixdown was not saved.\n" + check.getErrorMessage(), 2,
                            &getEditorLook());
        return;
    }

    auto message = file.getParentDirectory().getFileName() == "Bounces"
                       ? juce::String ("Live mixdown saved!\n\nYou can access this inside your project's 'Bounces' "
                                       "folder.")
                       : "Live mixdown saved!\n\n" + file.getFullPathName();
    const auto gaps = audioProcessor.getLiveBounceReport();

    if (gaps.isNotEmpty())
        message << "\n\n" << gaps;

    FlowDialog::notify ("Mixdown Complete", message, gaps.isEmpty() ? 3 : 2, &getEditorLook());
}
