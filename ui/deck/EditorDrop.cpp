// Audio files dropped on the deck: one file opens the import panel for it; two or more are
// imported in name order onto consecutive tracks from a start track the user picks, stereo files
// taking two tracks.

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "storage/GuardedAudioReader.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/panels/ImportPanel.h"

namespace
{
using Editor = TavrelDelayAudioProcessorEditor;

int reelTrackCount (TavrelDelayAudioProcessor& processor)
{
    return juce::jmin (processor.numTracks, (int)processor.tracks.size());
}

/** The tape time under the head as the counter shows it; never before the tape's start. */
double dropTime (TavrelDelayAudioProcessor& processor)
{
    return juce::jmax (0.0, processor.tracks.front().getPositionSeconds() - processor.zeroOffset.load());
}

void removeImportPanel (juce::Component& deckPanel)
{
    while (auto* panel = deckPanel.findChildWithID (EditorIds::importPanel))
    {
        deckPanel.removeChildComponent (panel);
        delete panel;
    }
}
} // namespace

bool TavrelDelayAudioProcessorEditor::isInterestedInFileDrag (const juce::StringArray& files)
{
    // The tape room shows no open reel to import onto; it takes its own drops.
    if (tapeRoomShowing)
        return false;

    for (const auto& path : files)
    {
        const auto extension = juce::File::createFileWithoutCheckingPath (path).getFileExtension().toLowerCase();

        if (extension == ".wav" || extension == ".aiff" || extension == ".mp3" || extension == ".flac")
            return true;
    }

    return false;
}

void TavrelDelayAudioProcessorEditor::filesDropped (const juce::StringArray& files, int, int)
{
    if (files.isEmpty())
        return;

    if (files.size() == 1)
    {
        removeImportPanel (deckPanel);

        auto safe = juce::Component::SafePointer<Editor> (this);
        auto* panel = new ImportPanel (audioProcessor, files[0],
                                       [safe]
                                       {
                                           // Never deleted from inside its own button's click.
                                           juce::MessageManager::callAsync (
                                               [safe]
                                               {
                                                   if (auto* editor = safe.getComponent())
                                                       editor->closeImportPanel();
                                               });
                                       });
        panel->setComponentID (EditorIds::importPanel);
        deckPanel.addAndMakeVisible (panel);
        panel->setBounds (panel->getBounds().withCentre (deckPanel.getLocalBounds().getCentre()));
        panel->toFront (true);
        return;
    }

    juce::StringArray sorted (files);
    sorted.sort (true);

    juce::StringArray trackNames;
    for (int n = 1; n <= reelTrackCount (audioProcessor); ++n)
        trackNames.add ("Track " + juce::String (n));

    auto* dialog = FlowDialog::create ("Batch Import",
                                       "Importing " + juce::String (files.size()) +
                                           " files.\nStereo files will automatically split to 2 tracks.",
                                       1, &getEditorLook());
    dialog->addComboBox ("startTrack", trackNames, "Start Track:");

    if (auto* box = dialog->getComboBoxComponent ("startTrack"); box != nullptr && box->getNumItems() > 0)
        box->setSelectedItemIndex (0, juce::dontSendNotification);

    FlowDialog::addButton (*dialog, "IMPORT", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (dialog,
                      [safe = juce::Component::SafePointer<Editor> (this),
                       paths = std::move (sorted)] (int result, SafeAlertWindow& shown)
                      {
                          auto* editor = safe.getComponent();
                          auto* box = shown.getComboBoxComponent ("startTrack");

                          if (editor != nullptr && result == 1 && box != nullptr && box->getSelectedItemIndex() >= 0)
                              editor->runBatchImport (paths, box->getSelectedItemIndex());
                      });
}

void TavrelDelayAudioProcessorEditor::closeImportPanel()
{
    removeImportPanel (deckPanel);
    repaint();
}

void TavrelDelayAudioProcessorEditor::runBatchImport (const juce::StringArray& sortedFiles, int startTrack)
{
    const auto count = reelTrackCount (audioProcessor);
    const auto start = dropTime (audioProcessor);
    auto track = startTrack;

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    juce::StringArray failures;

    for (const auto& path : sortedFiles)
    {
        if (track >= count)
            break;

        const juce::File file (path);
        int channels = 0;

        if (const auto reader = GuardedAudioReader::open (formats, file))
            channels = (int)reader->numChannels;

        // A file no format reads is passed over and keeps no track.
        if (channels < 1)
            continue;

        const auto split = channels >= 2 && track < count - 1;
        const auto result = audioProcessor.importAudioToTrack (file, track, start, split, 1.0f, 1.0f, false);

        if (result.failed())
            failures.add (result.getErrorMessage());

        track += split ? 2 : 1;
    }

    if (console != nullptr)
        console->refreshAll();

    repaint();

    if (! failures.isEmpty())
        FlowDialog::notify ("Import Failed", "Some files could not be imported:\n" + failures.joinIntoString ("\n"), 2,
                            &getEditorLook());
}
