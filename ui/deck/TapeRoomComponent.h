#pragma once

#include "storage/ReelInfo.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class ReelLibrary;

/** The reel library screen, shown by the editor in place of the deck: a sidebar with the list of
    tapes, the search and sort boxes and NEW TAPE, and a panel with the selected tape's details
    and its actions.

    For now it lists, selects and opens tapes; the actions behind its other buttons come with
    their dialogs. */
class TapeRoomComponent : public juce::Component,
                          public juce::ListBoxModel,
                          public juce::FileDragAndDropTarget
{
public:
    TapeRoomComponent (ReelLibrary* libraryToShow, std::function<void (const juce::String&)> openReel,
                       std::function<void (const juce::String&)> saveIfOpen);
    ~TapeRoomComponent() override;

    /** Re-reads the library's shelf and rebuilds the rows with the search text and sort order. */
    void refreshReelList();

    /** Opens the selected reel through onOpenReel. */
    void openSelectedReel();

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

    static constexpr int sidebarWidth = 320;

private:
    const ReelInfo* getSelectedRow() const;
    void setUpButton (juce::TextButton& button, const juce::String& text, juce::Colour fill, juce::Colour textColour);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeRoomComponent)
};
