#include "ui/deck/TapeRoomComponent.h"

#include "app/CommandLineFile.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelList.h"
#include "storage/StorageIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TapeRoomTexts.h"
#include "ui/looks/LookImages.h"

namespace
{
const juce::Colour lightKey (ConsoleBrowserLook::lightKey);
const juce::Colour redKey (ConsoleBrowserLook::redKey);

bool isReelOrArchivePath (const juce::String& path)
{
    return path.endsWithIgnoreCase (".reel") || path.endsWithIgnoreCase (".zip");
}
} // namespace

TapeRoomComponent::TapeRoomComponent (ReelLibrary* libraryToShow, std::function<void (const juce::String&)> openReel,
                                      std::function<void (const juce::String&)> saveIfOpen)
    : library (libraryToShow), onOpenReel (std::move (openReel)), onSaveIfOpen (std::move (saveIfOpen))
{
    listBox.setModel (this);
    listBox.setRowHeight (rowHeight);
    listBox.setLookAndFeel (&look);
    addAndMakeVisible (listBox);

    setUpButton (newButton, "NEW TAPE", lightKey, juce::Colours::black, [this] { doNew(); });
    setUpButton (openButton, "OPEN...", juce::Colours::transparentBlack, juce::Colours::white,
                 [this] { chooseReelToOpen(); });

    searchBox.setMultiLine (false);
    searchBox.setReturnKeyStartsNewLine (false);
    searchBox.setTextToShowWhenEmpty ("Search tapes...", juce::Colour (0xff808080));
    searchBox.setLookAndFeel (&look);
    searchBox.onTextChange = [this] { refreshReelList(); };
    addAndMakeVisible (searchBox);

    sortBox.addItem ("Sort by: Recent", ReelList::sortByRecent);
    sortBox.addItem ("Sort by: Name", ReelList::sortByName);
    sortBox.setSelectedId (ReelList::sortByRecent, juce::dontSendNotification);
    sortBox.setLookAndFeel (&look);
    sortBox.onChange = [this] { refreshReelList(); };
    addAndMakeVisible (sortBox);

    setUpButton (loadButton, "LOAD TAPE", lightKey, juce::Colours::black, [this] { openSelectedReel(); });
    setUpButton (renameButton, "RENAME", juce::Colours::transparentBlack, juce::Colours::white,
                 [this] { showRenameDialog(); });
    setUpButton (duplicateButton, "DUPLICATE", juce::Colours::transparentBlack, juce::Colours::white,
                 [this] { showDuplicateDialog(); });
    setUpButton (backupButton, "BACKUP ZIP", juce::Colours::transparentBlack, juce::Colours::white,
                 [this] { chooseBackupFile(); });
    setUpButton (deleteButton, "DELETE TAPE", redKey, juce::Colours::white, [this] { showDeleteDialog(); });
    setUpButton (libraryButton, "CHANGE LIBRARY", juce::Colours::transparentBlack, juce::Colours::white,
                 [this] { chooseLibraryFolder(); });

    // An invisible button over the location text: a click opens the folder in the file browser.
    folderLinkButton.setAlpha (0.0f);
    folderLinkButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    folderLinkButton.onClick = [this] {
        if (const auto* row = getSelectedRow();
            row != nullptr && row->folder.getFullPathName().isNotEmpty() && row->folder.isDirectory())
            row->folder.startAsProcess();
    };
    addAndMakeVisible (folderLinkButton);

    setUpButton (updateButton, "UPDATE AVAILABLE", lightKey, juce::Colours::black,
                 [] { juce::URL (TapeRoomTexts::betaPageAddress).launchInDefaultBrowser(); });
    updateButton.setVisible (false);

    backdrop = LookImages::tapeRoomBackdrop();
    setOpaque (true); // the screen paints every pixel: nothing behind it needs drawing

    setSize (1000, 700);
    refreshReelList();
}

TapeRoomComponent::~TapeRoomComponent()
{
    // Dialogs and the backup window may still draw with the look; it goes with this component.
    auto& desktop = juce::Desktop::getInstance();
    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* window = desktop.getComponent (i); window != nullptr && &window->getLookAndFeel() == &look)
            window->setLookAndFeel (nullptr);

    listBox.setModel (nullptr);
    listBox.setLookAndFeel (nullptr);
    sortBox.setLookAndFeel (nullptr);
    searchBox.setLookAndFeel (nullptr);

    for (auto* button : {&loadButton, &newButton, &renameButton, &duplicateButton, &backupButton, &deleteButton,
                         &openButton, &updateButton, &libraryButton, &folderLinkButton})
        button->setLookAndFeel (nullptr);
}

void TapeRoomComponent::setUpButton (juce::TextButton& button, const juce::String& text, juce::Colour fill,
                                     juce::Colour textColour, std::function<void()> onClick)
{
    button.setButtonText (text);
    button.setColour (juce::TextButton::buttonColourId, fill);
    button.setColour (juce::TextButton::textColourOffId, textColour);
    button.setLookAndFeel (&look);
    button.onClick = std::move (onClick);
    addAndMakeVisible (button);
}

//==============================================================================
void TapeRoomComponent::refreshReelList()
{
    if (library != nullptr)
        rows = ReelList::buildRows (library->loadShelf(), searchBox.getText(), sortBox.getSelectedId());
    else
        rows.clear();

    listBox.updateContent();
    repaint();
}

const ReelInfo* TapeRoomComponent::getSelectedRow() const
{
    const int selected = listBox.getSelectedRow (0);
    return juce::isPositiveAndBelow (selected, rows.size()) ? &rows.getReference (selected) : nullptr;
}

void TapeRoomComponent::openSelectedReel()
{
    if (const auto* row = getSelectedRow(); row != nullptr && onOpenReel)
        onOpenReel (row->name);
}

void TapeRoomComponent::selectAndOpenReel (const juce::String& reelName)
{
    refreshReelList();
    const int index = ReelList::indexOfReel (rows, reelName);

    if (index < 0)
        return;

    listBox.selectRow (index);
    openSelectedReel();
}

void TapeRoomComponent::showUpdateButton (const juce::String& notes)
{
    updateButton.setTooltip (notes);
    updateButton.setVisible (true);
    repaint();
}

//==============================================================================
void TapeRoomComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();

    newButton.setBounds (25, 75, 270, 42);
    searchBox.setBounds (25, 135, 270, 28);
    sortBox.setBounds (25, 173, 180, 28);
    openButton.setBounds (sortBox.getRight() + 10, 173, 80, 28);
    listBox.setBounds (0, 218, sidebarWidth, juce::jmax (0, h - 278));
    libraryButton.setBounds (25, h - 40, 270, 28);
    updateButton.setBounds (w - 170, 20, 150, 30);

    const bool hasSelection = getSelectedRow() != nullptr;
    for (auto* button : {&loadButton, &renameButton, &duplicateButton, &backupButton, &deleteButton, &folderLinkButton})
        button->setVisible (hasSelection);

    if (! hasSelection)
        return;

    folderLinkButton.setBounds (492, 360, juce::jmax (0, w - 542), 20);
    loadButton.setBounds (382, 390, 180, 36);
    renameButton.setBounds (loadButton.getRight() + 15, 390, 90, 36);

    // DUPLICATE and BACKUP ZIP stay on the first row while they fit, else wrap below.
    const int renameRight = renameButton.getRight();
    if (w - renameRight >= 220)
        duplicateButton.setBounds (renameRight + 10, 390, 100, 36);
    else
        duplicateButton.setBounds (382, 436, 100, 36);

    backupButton.setBounds (duplicateButton.getRight() + 10, duplicateButton.getY(), 100, 36);
    deleteButton.setBounds (w - 140, h - 76, 100, 36);
}

//==============================================================================
int TapeRoomComponent::getNumRows()
{
    return rows.size();
}

void TapeRoomComponent::listBoxItemDoubleClicked (int row, const juce::MouseEvent&)
{
    if (juce::isPositiveAndBelow (row, rows.size()))
        openSelectedReel();
}

void TapeRoomComponent::selectedRowsChanged (int)
{
    repaint();
    resized();
}

//==============================================================================
bool TapeRoomComponent::isInterestedInFileDrag (const juce::StringArray& files)
{
    for (const auto& path : files)
        if (isReelOrArchivePath (path))
            return true;

    return false;
}

void TapeRoomComponent::filesDropped (const juce::StringArray& files, int, int)
{
    juce::StringArray problems;
    juce::String pointedReel;

    for (const auto& path : files)
    {
        if (! isReelOrArchivePath (path))
            continue;

        const juce::File file (path);

        // A pointer file carries no audio: importing it would only make an empty reel. Its own
        // reel is shown instead when the library has it.
        if (! CommandLineFile::isArchive (file))
        {
            if (const auto reel = CommandLineFile::findPointerReel (file, library != nullptr ? library->getLibraryRoot()
                                                                                                : juce::File());
                reel.isNotEmpty())
                pointedReel = reel;
            else
                problems.add (file.getFileName() + ": " + TapeRoomTexts::missingAudioMessage);
            continue;
        }

        juce::String reason;
        if (library == nullptr || library->importReelArchive (file, &reason).isEmpty())
            problems.add (file.getFileName() + ": " + reason);
    }

    refreshReelList();

    if (const int index = ReelList::indexOfReel (rows, pointedReel); index >= 0)
        listBox.selectRow (index);

    if (! problems.isEmpty())
        FlowDialog::notify (TapeRoomTexts::importFailedTitle, problems.joinIntoString ("\n"), 2, &look);
}
