#pragma once

#include "ui/console/StudioConsoleComponent.h"
#include "ui/deck/DustCoverComponent.h"
#include "ui/deck/TapeRoomComponent.h"
#include "ui/deck/TapeStripComponent.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/DetentedSlider.h"
#include "ui/looks/FormatDisplayLook.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/MidiGlassPane.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/looks/RightClickSlider.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <map>
#include <memory>

class TavrelDelayAudioProcessor;

/** The processor's editor and the program's whole user interface, the content of the main
    window. It shows either the tape room (the reel library, filling the editor) or the tape deck:
    the console, the transport, counter, tape knobs and switches, the loop and defect tools and the
    tape strip, all children of one deck panel laid out in a fixed design space of 1699 x 1133
    units and scaled as a whole into the editor. The dust cover lies over the deck in the
    skeuomorphic interface.

    The definition is split by concern: construction (TavrelDelayAudioProcessorEditor.cpp),
    layout (EditorLayout.cpp), the theme file and dust cover (EditorTheme.cpp), drawing
    (EditorPaint.cpp) and teardown (EditorTeardown.cpp). */
class TavrelDelayAudioProcessorEditor : public juce::AudioProcessorEditor,
                                        public juce::Timer,
                                        public juce::FileDragAndDropTarget
{
public:
    explicit TavrelDelayAudioProcessorEditor (TavrelDelayAudioProcessor& processorToEdit);
    ~TavrelDelayAudioProcessorEditor() override;

    // juce::Component
    void paint (juce::Graphics& g) override;
    void paintOverChildren (juce::Graphics& g) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;

    // juce::Timer
    void timerCallback() override;

    /** Closes every separate window the editor opened (insert, plug-in, instrument and tool
        windows), before a quit or before the editor is replaced. */
    void closeAllSecondaryWindows();

    /** The master insert window: brought forward when open, else opened and remembered. */
    void openMasterInsertWindow();

    // juce::FileDragAndDropTarget
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    /** Audio files dropped on the deck (EditorDrop.cpp): one opens the import panel, more are
        imported one after another from a chosen start track. */
    void closeImportPanel();
    void runBatchImport (const juce::StringArray& sortedFiles, int startTrack);

    /** MIXDOWN and menu command 2 (EditorMixdown.cpp): ends a running live mixdown and says how
        it went, or opens the export panel. */
    void mixdownClicked();
    void finishLiveMixdown();

    /** The file the running live mixdown writes to. */
    juce::File liveMixdownFile;

    /** Records in the theme file that the dust cover stays off; called once the user has lifted
        it. Never fails visibly: an unreadable file is replaced, a failed write ignored. */
    void hideDustCoverPermanently();

    /** Console: shows or hides the masking tape (the strips' name labels), kept in the reel's
        "ShowMaskingTape" property. */
    void toggleMaskingTape();

    /** Saves the open reel into its main slot when its name is exactly reelName. */
    void saveReelIfOpen (const juce::String& reelName);

    // Keyboard shortcuts and musical typing (EditorShortcuts.cpp).
    bool keyPressed (const juce::KeyPress& key) override;
    bool keyStateChanged (bool isKeyDown) override;
    /** Reads "shortcuts.xml"; a missing or foreign file is replaced by the defaults. */
    void loadShortcuts();
    /** Writes the bindings to "shortcuts.xml"; a failed write is ignored. */
    void saveShortcuts();
    /** Space for "Play / Stop", R for "Record Arm", nothing else; then saved. */
    void resetShortcutsToDefaults();
    static juce::File getShortcutsFile();
    /** The note of a typed character at the current octave, or -1 when it is no note key. */
    int noteForTypedCharacter (juce::juce_wchar character) const;
    /** Whether a key (a key code as juce::KeyPress has it) is physically down now; tests replace it. */
    std::function<bool (int keyCode)> isKeyPhysicallyDown = [] (int keyCode)
    { return juce::KeyPress::isKeyCurrentlyDown (keyCode); };

    /** Opens the audio device window; it calls onClosed when it closes. */
    void openAudioSetupWindow (std::function<void()> onClosed);

    /** Top-bar button set-up: text, fill, black text, tooltip, the button look; added on top of
        the deck panel, visible. */
    void addTopBarButton (juce::TextButton& button, const juce::String& text, juce::Colour fill,
                          const juce::String& tooltip);
    void addTransportButton (juce::Button& button, const juce::String& componentId, const juce::String& tooltip);
    void addLoopButton (juce::TextButton& button, const juce::String& text, const juce::String& componentId,
                        juce::Colour fill, std::function<void()> onClick);
    void addToggleButton (juce::TextButton& button, const juce::String& text, const juce::String& tooltip,
                          const juce::String& componentId, std::function<void()> onClick);

    // Menu commands and reel flows (EditorCommands.cpp, EditorReelOpen.cpp, EditorReelSave.cpp).

    /** The one entry point of the menu bar, its track picker and some shortcuts: runs the
        command's action (see MenuCommandIds.h); trackIndex is used by 28 and 29 only. */
    void handleMenuCommand (int commandId, int trackIndex);
    void storeEnable3rdPartyPlugins (bool on);

    /** SAVE REEL and EJECT. */
    void saveReelClicked();
    void ejectClicked();
    /** The main save (or save-as under newName) behind the "Saving Reel..." progress window. */
    void startSaveReelThread (const juce::String& newName, int slot);
    void ejectToLibrary();
    void showSaveAsDialog();
    void showSnapshotSaveDialog (int slot);
    void showSnapshotLoadDialog (int slot);

    /** Opening a reel: from the tape room (device prompt, crash recovery) or from the menu. */
    void openReelFromLibrary (const juce::String& name);
    void checkCrashRecovery (const juce::String& name);
    /** Loads the reel and shows the deck; false (nothing changes, the user is told) when the
        reel cannot be read. */
    bool openReelAndResetView (const juce::String& name, int slot);
    /** The menu's file chooser result: a pointer file, an archive or a reel folder. */
    void openReelChosen (const juce::File& chosen);
    void openReelFromMenu (const juce::String& name);
    void loadMenuReel (const juce::String& name);

    /** Closes the theme editor and track reorder windows this editor opened, and takes the
        editor's looks off any dialog still open. */
    void closeFlowWindows();

    /** The look dialogs take: modernLook in the minimal interface, else customLook. */
    juce::LookAndFeel& getEditorLook();

    /** A save slot as the dialogs name it: "Main Mix", "Auto-Save", "Slot 2" to "Slot 4". */
    static juce::String slotName (int slot);

    /** The attachment of a knob or switch, whatever its kind. */
    struct Attachment
    {
        virtual ~Attachment() = default;
    };

    /** The twelve attached knobs and switches, in this order. */
    enum AttachmentSlot
    {
        timeSlot,
        driveSlot,
        ageSlot,
        noiseSlot,
        wowSlot,
        flutterSlot,
        wearSlot,
        soundOnSoundSlot,
        punchInSlot,
        wearRateSlot,
        varispeedSlot,
        stickinessSlot,
        numAttachmentSlots
    };

    /** Rotary, dragged either way, no text box, component ID = parameterId, reset to the
        parameter's default by double-click or Alt-click; bound to the parameter through the
        slot, replacing what the slot held. */
    void addKnob (juce::Slider& knob, const juce::String& parameterId, AttachmentSlot slot);

    /** A tooltip window that shows nothing while it is disabled ("SHOW_TIPS" off). */
    struct DeckTooltipWindow : public juce::TooltipWindow
    {
        using juce::TooltipWindow::TooltipWindow;
        juce::String getTipFor (juce::Component& component) override;
    };

    //==============================================================================
    // Deck control actions (DeckControlsActions.cpp).

    /** The counter's typed time, committed: locates to it, counted from the zero point and
        limited to the tape. */
    void locateToCounterText();
    /** Reformats the counter's editor as MM:SS while the user types. */
    void formatCounterEntry (juce::TextEditor& counterEditor);
    double snapVarispeedToInterval (double value) const;
    juce::String varispeedValueToText (double value) const;
    static juce::String formatMasterVolumeText (double value);
    void cycleTapeFormat();
    void showBrushMenu();
    void brushMenuChosen (int result);
    void selectCursorTool();
    void zoomTapeStrip();
    void flashUndo();
    void midiLearnButtonClicked();
    void pickMidiLearnTarget (const juce::MouseEvent& e);
    void showNextTrackPage();
    void toggleSettingsOverlay();
    void closeSettingsOverlay();
    void sendBetaFeedback();
    /** The feedback mail's body: a request line and the machine's details (system, processor, memory, version). */
    static juce::String betaFeedbackBody();
    void refreshConsole();

    /** Sets a parameter's normalised value and tells its listeners, without a change gesture;
        nothing when the parameter does not exist. */
    void setParameterNotifying (const juce::String& parameterId, float normalisedValue);

    /** Makes the master insert window (which shows itself); tests put their own. */
    static std::function<juce::DocumentWindow* (TavrelDelayAudioProcessor&)> makeMasterInsertWindow;

    /** The millisecond clock of blinking and double presses (the framework's counter; tests
        put their own). */
    std::function<juce::uint32()> millisecondClock = [] { return juce::Time::getMillisecondCounter(); };

    // Deck drawing helpers (EditorPaint.cpp), in deck space.
    void drawReel (juce::Graphics& g, float x, float y, float angle, float flangeRadius, float packRadius);
    void drawTensionArm (juce::Graphics& g, float pivotX, float pivotY, float length, float angle);
    void drawTapeHead (juce::Graphics& g, float x, float y, const juce::String& label);
    void drawGuideRoller (juce::Graphics& g, float x, float y, float radius);
    void drawKnobCaption (juce::Graphics& g, const juce::String& text, juce::Component& knob, bool light);

    /** The counter time of the previous timer tick, once one was taken. */
    double lastCounterSeconds = 0.0;
    bool counterTimeTaken = false;

    //==============================================================================
    // Members, in construction order.

    juce::Array<int> heldTypingNotes;
    bool momentaryRewindHeld = false;
    bool momentaryForwardHeld = false;
    std::map<juce::String, juce::KeyPress> shortcutBindings;
    juce::String shortcutActionToLearn;
    std::function<void()> onShortcutLearned;
    DeckTooltipWindow tooltipWindow{this, 700};
    bool maskingTapeVisible = false;
    bool useModernUI = false;
    ModernLookAndFeel modernLook;
    juce::Image backgroundCache;
    juce::Image overlayCache;
    juce::WeakReference<juce::Component> midiLearnHighlight;
    TavrelDelayAudioProcessor& audioProcessor;
    CustomLookAndFeel customLook;
    MarlixButtonLook buttonLook;
    FormatDisplayLook formatLook;
    std::unique_ptr<TapeRoomComponent> tapeRoom;
    bool tapeRoomShowing = true;

    // Top bar and console buttons.
    juce::TextButton ejectButton, saveReelButton, mixdownButton, setupButton, betaFeedbackButton;
    juce::TextButton midiLearnButton, trackPageButton, masterFxButton;

    int consolePageStart = 0;
    juce::Component::SafePointer<juce::Component> masterInsertWindow;
    juce::Component::SafePointer<juce::Component> musicalTypingWindow;
    juce::Component::SafePointer<juce::Component> performanceWindow;
    std::unique_ptr<StudioConsoleComponent> console;
    std::unique_ptr<DustCoverComponent> dustCover;
    TapeStripComponent tapeStrip;

    // Deck controls.
    RightClickSlider masterVolumeSlider;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> masterVolumeAttachment;
    juce::TextButton returnToZeroButton, zeroButton, rewindButton, fastForwardButton, stopButton, playButton,
        recordButton;
    RightClickSlider driveKnob, ageKnob, noiseKnob, wowKnob, flutterKnob, wearRateKnob, stickinessKnob, headGapKnob;
    DetentedSlider varispeedKnob;
    juce::TextButton soundOnSoundButton, punchInButton, wearButton;
    juce::TextButton clickButton, monitorMuteButton, waveButton, cursorToolButton, brushToolButton;
    juce::TextButton loopClearButton, loopInButton, loopOutButton, loopButton, loopCutButton;
    juce::TextButton formatButton, clearDefectsButton, undoButton;
    juce::Slider zoomSlider;
    juce::Label counterLabel;
    std::array<std::unique_ptr<Attachment>, numAttachmentSlots> knobAttachments;

    int grabbedReel = -1;
    float lastGrabAngle = 0.0f;
    bool midiLearnLit = false;
    juce::Image deckArtwork;
    juce::Image maskingTapeArtwork;
    juce::Image tapeRoomBackdrop;
    bool armGrabbed = false;
    juce::uint32 lastPressTime = 0;
    juce::Component deckPanel;
    MidiGlassPane midiGlassPane;

    static constexpr int defaultWidth = 1360;
    static constexpr int defaultHeight = 906;
    static constexpr int timerMilliseconds = 41;

private:
    /** "modern_theme.xml" in the per-user folder. */
    static juce::File getThemeFile();

    /** Reads the interface choice and the theme colours; a missing or broken file is written
        anew with the defaults. */
    void readTheme();

    /** The theme file's "showDustCover" switch; true when the file or the switch is missing. */
    static bool readShowDustCover();

    /** The window background, the deck's chassis and artwork, or the tape room's backdrop. */
    void paintBackground (juce::Graphics& g);

    void buildTopBar();
    void buildKnobs();
    void buildSwitches();
    void buildToolRow();
    void buildTransport();

    /** Gives every deck control its action (DeckControlsActions.cpp). */
    void connectDeckControls();

    // Drawing of the deck (EditorPaint.cpp).
    bool isDarkTheme() const;
    void paintHeadBlock (juce::Graphics& g);
    void paintMovingParts (juce::Graphics& g);
    void paintCaptions (juce::Graphics& g);
    juce::String overlayCacheKey;

    /** Every deck control at its rectangle of the current interface. */
    void layOutDeckControls();

    template <typename AttachmentType, typename Control>
    void attach (AttachmentSlot slot, const juce::String& parameterId, Control& control);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TavrelDelayAudioProcessorEditor)
};

/** A screw head of the skeuomorphic deck: a lit dome with a cross slot, size across. */
void drawScrew (juce::Graphics& g, float x, float y, float size);
