#pragma once

#include "ui/looks/MarlixButtonLook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** The "EXPORT MIXDOWN" card laid over the deck: a start and an end time and the ways out of the
    reel: OFFLINE EXPORT (rendered faster than real time behind a progress window), LIVE MIX (the
    master output written while the reel plays) and BOUNCE TO TAPE (the mix printed back onto one
    track or a pair). The editor adds it as "export_overlay" and deletes it through onClose.

    The chosen times outlive the panel: a new panel starts where the last export or bounce ended.

    Definition split by concern: ExportPanel.cpp (times, drawing, file export) and
    ExportPanelBounce.cpp (bounce to tape). */
class ExportPanel : public juce::Component
{
public:
    ExportPanel (TavrelDelayAudioProcessor& processor, double reelLengthSeconds, std::function<void()> onClose);
    ~ExportPanel() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    //==============================================================================
    // Export to a file.

    /** Opens the save dialog for the offline export or, when live, the live mix. */
    void chooseExportFile (bool live);

    /** The end of that dialog: exports to the chosen file; a cancelled dialog only closes. */
    void startExport (const juce::FileChooser& chooser, double start, double end, bool live);

    /** Exports to chosen, given the ".wav" extension first. When that file exists the user is
        asked before it is replaced, so the question is about the file really written. Closes
        the panel once the export started, was refused or was not wanted. */
    void exportToFile (const juce::File& chosen, double start, double end, bool live);

    /** The file the save dialog proposes: "<reel> - Mixdown.wav" in the reel's "Bounces" folder,
        or "My_Mix - Mixdown.wav" in the library's "Bounces" folder for an untitled reel. The
        folder is created. */
    static juce::File proposedExportFile (TavrelDelayAudioProcessor& processor);

    /** file with the extension ".wav" (any other extension replaced). */
    static juce::File withWavExtension (const juce::File& file);

    //==============================================================================
    // Bounce to tape (ExportPanelBounce.cpp).

    /** Asks for the destination track(s) of the bounce. */
    void showBounceDialog();

    /** The destination question's answer: result 1 and a destination entry renders the mix
        without the destination tracks into the internal bounce file. */
    void startBounceToTape (int result, int destinationIndex, double start, double end);

    /** After the render: checks the file, prints it onto the destination and says how that
        went, then closes the panel. When the panel has gone meanwhile nothing is printed. The
        bounce file is deleted in every case. */
    static void finishBounceToTape (juce::Component::SafePointer<ExportPanel> panel, const juce::File& bounceFile,
                                    int track, bool stereo, double printStart, float printGain);

    /** The destinations for the reel's track count: per track its mono entry and, but for the
        last track, the stereo entry with the next one. Entry i means track i / 2 (0-based),
        stereo when i is odd. */
    static juce::StringArray bounceDestinations (TavrelDelayAudioProcessor& processor);

    /** "Track c", with " (name)" when the reel names the track. */
    static juce::String trackLabel (TavrelDelayAudioProcessor& processor, int trackNumber);

    /** The gain that takes the master section's trim and volume off the printed mix. */
    static float printGain (float masterVolume) noexcept;

    /** The render target of the bounce: in the per-user folder's temporary folder, where no
        other user or program writes. */
    static juce::File internalBounceFile();

    //==============================================================================
    // Time texts of the sliders: minutes and seconds from the counter's zero point.
    static juce::String timeToText (double seconds, double zeroOffset);
    static double textToTime (const juce::String& text, double zeroOffset);

    /** Forgets the remembered times (as at program start); for tests. */
    static void resetRememberedTimes() noexcept;

    /** Told the file a live mix writes to, once it has started. */
    std::function<void (const juce::File&)> onLiveBounceStarted;

    /** False: the framework's own file dialog instead of the system's (for tests). */
    static inline bool useNativeFileDialog = true;

    static constexpr const char* title = "EXPORT MIXDOWN";
    static constexpr const char* bounceDialogTitle = "Bounce to Tape";
    static constexpr const char* destinationBoxName = "dest";
    static constexpr int panelWidth = 300;
    static constexpr int panelHeight = 240;

    TavrelDelayAudioProcessor& processor;
    std::function<void()> onClose;
    juce::Slider startSlider, endSlider;
    juce::Label startLabel, endLabel;
    juce::TextButton cancelButton, exportButton, liveButton, bounceButton;
    MarlixButtonLook buttonLook;
    /** Draws the horizontal sliders in the minimal interface, whose look draws only faders. */
    juce::LookAndFeel_V4 sliderLook;

private:
    /** Runs onClose; the panel may be deleted when it returns. */
    void close();

    /** Starts the offline render or the live mix into file (already a ".wav"). */
    void runExport (const juce::File& file, double start, double end, bool live);

    /** The sliders' times, right-aligned on their label rows. */
    void paintTimes (juce::Graphics& g, juce::Colour colour);

    /** True when end comes after start; otherwise the user is told, and false. */
    static bool isRangeValid (double start, double end);

    /** Stores the sliders' values as the remembered times. */
    void rememberTimes();

    double zeroOffset = 0.0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ExportPanel)
};
