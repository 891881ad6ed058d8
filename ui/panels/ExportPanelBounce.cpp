// Bounce to tape: the mix, rendered without the destination tracks, printed back onto one track
// (mixed to mono) or a pair of neighbouring tracks (as a stereo pair).

#include "ui/panels/ExportPanel.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "storage/GuardedAudioReader.h"
#include "ui/deck/FlowDialog.h"
#include "ui/panels/OfflineExportThread.h"

namespace
{
namespace Id = ParameterIds;

float parameterValue (TavrelDelayAudioProcessor& processor, const char* id, float fallback)
{
    if (auto* value = processor.parameters.getRawParameterValue (id))
        return value->load();

    return fallback;
}

/** Whether the render left a readable file with audio in it. */
juce::Result checkBounceFile (const juce::File& file)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    juce::String problem;
    const auto reader = GuardedAudioReader::open (formats, file, &problem);

    if (reader == nullptr)
        return juce::Result::fail (problem.isNotEmpty() ? problem : "The rendered mix cannot be read.");

    if (reader->lengthInSamples < 1)
        return juce::Result::fail ("The rendered mix holds no audio.");

    return juce::Result::ok();
}
} // namespace

juce::String ExportPanel::trackLabel (TavrelDelayAudioProcessor& processor, int trackNumber)
{
    const auto name = processor.parameters.state.getProperty (Id::TrackName_ + juce::String (trackNumber)).toString();
    return "Track " + juce::String (trackNumber) + (name.isNotEmpty() ? " (" + name + ")" : juce::String());
}

juce::StringArray ExportPanel::bounceDestinations (TavrelDelayAudioProcessor& processor)
{
    const auto n = juce::jmin (processor.numTracks, (int)processor.tracks.size());
    juce::StringArray entries;

    for (int c = 1; c <= n; ++c)
    {
        entries.add (trackLabel (processor, c) + " (Mono Mixdown)");

        if (c < n)
            entries.add (trackLabel (processor, c) + " & " + trackLabel (processor, c + 1) + " (Stereo)");
    }

    return entries;
}

float ExportPanel::printGain (float masterVolume) noexcept
{
    return 1.0f / (juce::jmax (masterVolume, 0.01f) * 0.35f);
}

juce::File ExportPanel::internalBounceFile()
{
    return Platform::getUserDataFolder().getChildFile ("Temp").getChildFile ("Dravin8_InternalBounce.wav");
}

void ExportPanel::showBounceDialog()
{
    const auto start = startSlider.getValue();
    const auto end = endSlider.getValue();

    if (! isRangeValid (start, end))
        return;

    auto* dialog = FlowDialog::create (
        bounceDialogTitle,
        "Select destination track(s):\n(These tracks will be automatically excluded from the mixdown)", 3);
    dialog->addComboBox (destinationBoxName, bounceDestinations (processor), "Destination:");

    if (auto* box = dialog->getComboBoxComponent (destinationBoxName); box != nullptr && box->getNumItems() > 0)
        box->setSelectedItemIndex (0, juce::dontSendNotification);

    FlowDialog::addButton (*dialog, "BOUNCE", 1);
    FlowDialog::addButton (*dialog, "Cancel", 0);
    FlowDialog::show (
        dialog,
        [safe = juce::Component::SafePointer<ExportPanel> (this), start, end] (int result, SafeAlertWindow& shown)
        {
            auto* box = shown.getComboBoxComponent (destinationBoxName);
            const auto index = box != nullptr ? box->getSelectedItemIndex() : -1;

            if (auto* panel = safe.getComponent())
                panel->startBounceToTape (result, index, start, end);
        });
}

void ExportPanel::startBounceToTape (int result, int destinationIndex, double start, double end)
{
    if (result != 1 || destinationIndex < 0)
        return;

    const auto track = destinationIndex / 2;
    const auto stereo = (destinationIndex % 2) == 1;
    juce::Array<int> excluded{track};

    if (stereo)
        excluded.add (track + 1);

    const auto bounceFile = internalBounceFile();
    bounceFile.getParentDirectory().createDirectory();

    if (bounceFile.exists() && ! bounceFile.isDirectory())
        bounceFile.deleteFile();

    const auto gain = printGain (parameterValue (processor, Id::MASTER_VOL, 1.0f));
    const auto printStart = start - parameterValue (processor, Id::TIME, 200.0f) / 1000.0;

    // At normal speed and forwards, whatever varispeed and reverse say: the print must line up
    // with the tape it came from.
    auto* thread = new OfflineExportThread (processor, bounceFile.getFullPathName(), start, end, excluded, true, this);
    thread->setCompletionCallback (
        [safe = juce::Component::SafePointer<ExportPanel> (this), track, stereo, printStart,
         gain] (const juce::File& rendered)
        {
            // Posted, so the print runs once the progress window has gone.
            juce::MessageManager::callAsync ([safe, rendered, track, stereo, printStart, gain]
                                             { finishBounceToTape (safe, rendered, track, stereo, printStart, gain); });
        });
    thread->launchThread();
}

void ExportPanel::finishBounceToTape (juce::Component::SafePointer<ExportPanel> safe, const juce::File& bounceFile,
                                      int track, bool stereo, double printStart, float gain)
{
    auto* panel = safe.getComponent();

    if (panel == nullptr)
    {
        bounceFile.deleteFile();
        return;
    }

    // Success is told only for a file that reads back and a print the processor took.
    auto outcome = checkBounceFile (bounceFile);

    if (outcome.wasOk())
        outcome = panel->processor.importAudioToTrack (bounceFile, track, printStart, stereo, 1.0f, gain, true);

    bounceFile.deleteFile();

    if (outcome.wasOk())
    {
        FlowDialog::notify ("Bounce Complete",
                            "Mixdown successfully printed to Track " + juce::String (track + 1) +
                                (stereo ? " & " + juce::String (track + 2) : juce::String()) + "!",
                            3);
    }
    else
    {
        FlowDialog::notify ("Bounce Failed", "The mixdown could not be printed to tape.\n" + outcome.getErrorMessage(),
                            2);
    }

    panel->close();
}
