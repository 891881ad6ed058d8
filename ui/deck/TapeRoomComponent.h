#pragma once

#include "storage/ReelInfo.h"
#include "ui/deck/ConsoleBrowserLook.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class ReelLibrary;
class SafeAlertWindow;

/** The tape room: the reel library screen, shown by the editor in place of the deck. A sidebar
    holds NEW TAPE, the search and sort boxes, OPEN..., the list of tapes and CHANGE LIBRARY; the
    panel beside it shows the selected tape's details and its actions (LOAD TAPE, RENAME,
    DUPLICATE, BACKUP ZIP, DELETE TAPE). Reel archives dropped on it are taken into the library.

    The definition is split by concern: the screen (TapeRoomComponent.cpp), its drawing
    (TapeRoomComponentPaint.cpp), the new-tape dialog (TapeRoomComponentNewTape.cpp) and the
    other actions (TapeRoomComponentActions.cpp). Every dialog it opens is a SafeAlertWindow
    drawn with its look (FlowDialog). */
class TapeRoomComponent : public juce::Component,
                          public juce::ListBoxModel,
                          public juce::FileDragAndDropTarget
{
public:
    TapeRoomComponent (ReelLibrary* libraryToShow, std::function<void (const juce::String&)> openReel,
                       std::function<void (const juce::String&)> saveIfOpen);
    ~TapeRoomComponent() override;

    //==============================================================================
    // The list.

    /** Re-reads the library's shelf and rebuilds the rows with the search text and sort order;
        the selected row number is kept (the list drops it when it lies past the end). */
    void refreshReelList();

    /** Opens the selected reel through onOpenReel. */
    void openSelectedReel();

    /** Refreshes the list, selects the row named exactly reelName and opens it; nothing when no
        row has that name. */
    void selectAndOpenReel (const juce::String& reelName);

    /** The selected row, or null. */
    const ReelInfo* getSelectedRow() const;

    /** Shows UPDATE AVAILABLE with the release notes as its tooltip; it stays shown. */
    void showUpdateButton (const juce::String& notes);

    //==============================================================================
    // Actions (TapeRoomComponentNewTape.cpp, TapeRoomComponentActions.cpp). The choosers' and
    // dialogs' completions are public so that they can be driven without a native dialog.

    void doNew();
    void createTape (const juce::String& typedName, int lengthSeconds, int trackCount, double sampleRate);

    void chooseReelToOpen();
    void openChosenReel (const juce::File& chosen);

    void showRenameDialog();
    void finishRename (int result, const juce::String& oldName, const juce::String& typedName);

    void showDuplicateDialog();
    void finishDuplicate (int result, const juce::File& sourceFolder, const juce::String& typedName);

    void showDeleteDialog();
    void finishDelete (int result, const juce::String& reelName);

    void chooseBackupFile();
    void startBackup (const juce::String& reelName, const juce::File& chosen);

    void chooseLibraryFolder();
    void changeLibraryFolder (const juce::File& chosen);

    /** Whether anything in the library folder (a reel or any other file) already has this name,
        letter case ignored: the rows on screen are filtered, the disk is not. */
    bool isNameTaken (const juce::String& name) const;

    /** The new-tape dialog's estimate of a tape's memory and disk space, and its colour (red
        once the memory passes 4 GiB). */
    static juce::String estimateText (int lengthSeconds, int trackCount, double sampleRate);
    static juce::Colour estimateColour (int lengthSeconds, int trackCount, double sampleRate);
    static int lengthSecondsForId (int lengthId);
    static int trackCountForId (int tracksId);

    //==============================================================================
    // juce::Component
    void paint (juce::Graphics& g) override;
    void resized() override;

    // juce::ListBoxModel
    int getNumRows() override;
    void paintListBoxItem (int row, juce::Graphics& g, int width, int height, bool selected) override;
    void listBoxItemDoubleClicked (int row, const juce::MouseEvent& event) override;
    void selectedRowsChanged (int lastRowSelected) override;

    // juce::FileDragAndDropTarget
    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    //==============================================================================
    // Members, in construction order. The look comes first so that it outlives every child.

    ConsoleBrowserLook look;
    ReelLibrary* library;
    std::function<void (const juce::String&)> onOpenReel;
    std::function<void (const juce::String&)> onSaveIfOpen;
    juce::ListBox listBox;
    juce::Array<ReelInfo> rows;
    std::function<void (std::function<void()>)> onOpenAudioSettings;
    juce::AudioDeviceManager* deviceManager = nullptr;

    juce::TextButton loadButton, newButton, renameButton, duplicateButton, backupButton, deleteButton, openButton,
        updateButton, libraryButton, folderLinkButton;
    juce::ComboBox sortBox;
    juce::TextEditor searchBox;
    std::unique_ptr<juce::FileChooser> fileChooser;

    /** The picture of the shelves behind the panel. */
    juce::Image backdrop;

    static constexpr int sidebarWidth = 320;
    static constexpr int rowHeight = 75;

private:
    void setUpButton (juce::TextButton& button, const juce::String& text, juce::Colour fill, juce::Colour textColour,
                      std::function<void()> onClick);
    void paintPanelBackdrop (juce::Graphics& g, juce::Rectangle<int> panel);
    void paintSelectedTape (juce::Graphics& g, const ReelInfo& row, juce::Rectangle<int> panel);

    /** A notice explaining why name cannot be used for a new tape; false when it can. */
    bool refuseNewName (const juce::String& name, const juce::String& renamedFrom = {});

    JUCE_DECLARE_WEAK_REFERENCEABLE (TapeRoomComponent)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeRoomComponent)
};
