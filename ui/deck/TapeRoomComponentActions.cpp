#include "ui/deck/TapeRoomComponent.h"

#include "app/CommandLineFile.h"
#include "app/SafeAlertWindow.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelList.h"
#include "storage/StorageIds.h"
#include "ui/deck/BackupThread.h"
#include "ui/deck/DuplicateThread.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TapeRoomTexts.h"

namespace
{
bool holdsSettings (const juce::File& folder)
{
    return folder.getChildFile (StorageIds::settingsFile).existsAsFile();
}
} // namespace

//==============================================================================
// OPEN...

void TapeRoomComponent::chooseReelToOpen()
{
    if (library == nullptr)
        return;

    fileChooser = std::make_unique<juce::FileChooser> (TapeRoomTexts::openChooserTitle, library->getLibraryRoot(),
                                                       TapeRoomTexts::openPatterns);
    fileChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles
                                  | juce::FileBrowserComponent::canSelectDirectories,
                              [weakThis = juce::WeakReference<TapeRoomComponent> (this)] (const juce::FileChooser& chooser) {
                                  if (auto* room = weakThis.get())
                                      room->openChosenReel (chooser.getResult());
                              });
}

void TapeRoomComponent::openChosenReel (const juce::File& chosen)
{
    if (chosen == juce::File() || library == nullptr)
        return;

    if (chosen.hasFileExtension (".reel;.zip"))
    {
        juce::String reelName;

        // Pointer files and backup archives share the extension: the content tells them apart.
        if (! CommandLineFile::isArchive (chosen))
        {
            reelName = CommandLineFile::findPointerReel (chosen, library->getLibraryRoot());
        }
        else
        {
            juce::String reason;
            reelName = library->importReelArchive (chosen, &reason);

            if (reelName.isEmpty())
            {
                FlowDialog::notify (TapeRoomTexts::importFailedTitle, reason, 2, &look);
                return;
            }
        }

        if (reelName.isEmpty())
            FlowDialog::notify (TapeRoomTexts::missingAudioTitle, TapeRoomTexts::missingAudioMessage, 2, &look);
        else
            selectAndOpenReel (reelName);

        return;
    }

    if (chosen.isDirectory() && holdsSettings (chosen))
    {
        // A folder inside the library opens by its name, one elsewhere by its full path.
        const bool inLibrary =
            chosen.getParentDirectory().getFullPathName().equalsIgnoreCase (library->getLibraryRoot().getFullPathName());

        if (onOpenReel)
            onOpenReel (inLibrary ? chosen.getFileName() : chosen.getFullPathName());
    }
}

//==============================================================================
// RENAME

void TapeRoomComponent::showRenameDialog()
{
    const auto* row = getSelectedRow();
    if (row == nullptr)
        return;

    const auto oldName = row->name;
    auto* dialog = FlowDialog::create (TapeRoomTexts::renameTitle, TapeRoomTexts::renameMessageStart + oldName, 0, &look);
    dialog->addTextEditor (TapeRoomTexts::nameField, oldName, {});
    FlowDialog::addButton (*dialog, TapeRoomTexts::renameButton, 1);
    FlowDialog::addButton (*dialog, TapeRoomTexts::cancelButton, 0);

    FlowDialog::show (dialog, [weakThis = juce::WeakReference<TapeRoomComponent> (this), oldName] (int result,
                                                                                                   SafeAlertWindow& window) {
        if (auto* room = weakThis.get())
            room->finishRename (result, oldName, window.getTextEditorContents (TapeRoomTexts::nameField));
    });
}

void TapeRoomComponent::finishRename (int result, const juce::String& oldName, const juce::String& typedName)
{
    if (result != 1 || library == nullptr)
        return;

    const auto newName = typedName.trim();

    if (newName != oldName && ! refuseNewName (newName, oldName))
        if (auto renamed = library->renameReel (oldName, newName); renamed.failed())
            FlowDialog::notify (TapeRoomTexts::renameFailedTitle, renamed.getErrorMessage(), 2, &look);

    refreshReelList();
}

//==============================================================================
// DUPLICATE

void TapeRoomComponent::showDuplicateDialog()
{
    const auto* row = getSelectedRow();
    if (row == nullptr)
        return;

    const auto sourceFolder = row->folder;
    auto* dialog = FlowDialog::create (TapeRoomTexts::duplicateTitle, TapeRoomTexts::duplicateMessage, 0, &look);
    dialog->addTextEditor (TapeRoomTexts::nameField, row->name + TapeRoomTexts::duplicateSuffix, {});
    FlowDialog::addButton (*dialog, TapeRoomTexts::duplicateButton, 1);
    FlowDialog::addButton (*dialog, TapeRoomTexts::cancelButton, 0);

    FlowDialog::show (dialog, [weakThis = juce::WeakReference<TapeRoomComponent> (this), sourceFolder] (
                                  int result, SafeAlertWindow& window) {
        if (auto* room = weakThis.get())
            room->finishDuplicate (result, sourceFolder, window.getTextEditorContents (TapeRoomTexts::nameField));
    });
}

void TapeRoomComponent::finishDuplicate (int result, const juce::File& sourceFolder, const juce::String& typedName)
{
    if (result != 1 || library == nullptr)
        return;

    const auto newName = typedName.trim();
    if (refuseNewName (newName))
        return;

    auto* job = new DuplicateThread (*library, sourceFolder, newName, getTopLevelComponent());
    job->look = &look;
    job->setWindowLook (&look);
    job->onFinished = [weakThis = juce::WeakReference<TapeRoomComponent> (this)] (const juce::Result&)
    {
        if (auto* room = weakThis.get())
            room->refreshReelList();
    };
    job->launchThread();
}

//==============================================================================
// DELETE TAPE

void TapeRoomComponent::showDeleteDialog()
{
    const auto* row = getSelectedRow();
    if (row == nullptr)
        return;

    const auto name = row->name;
    auto* dialog = FlowDialog::create (TapeRoomTexts::deleteTitle,
                                       TapeRoomTexts::deleteMessageStart + name + TapeRoomTexts::deleteMessageEnd, 2, &look);
    FlowDialog::addButton (*dialog, TapeRoomTexts::deleteButton, 1);
    FlowDialog::addButton (*dialog, TapeRoomTexts::cancelButton, 0);

    FlowDialog::show (dialog, [weakThis = juce::WeakReference<TapeRoomComponent> (this), name] (int result, SafeAlertWindow&) {
        if (auto* room = weakThis.get())
            room->finishDelete (result, name);
    });
}

void TapeRoomComponent::finishDelete (int result, const juce::String& reelName)
{
    if (result != 1 || library == nullptr)
        return;

    library->deleteReelFolder (reelName);
    refreshReelList();
}

//==============================================================================
// BACKUP ZIP

void TapeRoomComponent::chooseBackupFile()
{
    const auto* row = getSelectedRow();
    if (row == nullptr)
        return;

    const auto name = row->name;

    // A reel open in the deck under this name is saved first, so the backup holds what is heard.
    if (onSaveIfOpen)
        onSaveIfOpen (name);

    fileChooser = std::make_unique<juce::FileChooser> (
        TapeRoomTexts::backupChooserTitle,
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (name + ".reel"),
        TapeRoomTexts::backupPattern);
    fileChooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                                  | juce::FileBrowserComponent::warnAboutOverwriting,
                              [weakThis = juce::WeakReference<TapeRoomComponent> (this), name] (const juce::FileChooser& chooser) {
                                  if (auto* room = weakThis.get())
                                      room->startBackup (name, chooser.getResult());
                              });
}

void TapeRoomComponent::startBackup (const juce::String& reelName, const juce::File& chosen)
{
    if (chosen == juce::File())
        return;

    // Backups carry the pointer file's extension; OPEN... tells them apart by their content.
    const auto archive = chosen.getFileName().endsWithIgnoreCase (".reel") ? chosen : chosen.withFileExtension (".reel");

    auto* backup = new BackupThread (library, reelName, archive, getTopLevelComponent());
    backup->look = &look;
    backup->setWindowLook (&look);
    backup->launchThread();
}

//==============================================================================
// CHANGE LIBRARY

void TapeRoomComponent::chooseLibraryFolder()
{
    if (library == nullptr)
        return;

    fileChooser = std::make_unique<juce::FileChooser> (TapeRoomTexts::libraryChooserTitle, library->getLibraryRoot());
    fileChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectDirectories,
                              [weakThis = juce::WeakReference<TapeRoomComponent> (this)] (const juce::FileChooser& chooser) {
                                  if (auto* room = weakThis.get())
                                      room->changeLibraryFolder (chooser.getResult());
                              });
}

void TapeRoomComponent::changeLibraryFolder (const juce::File& chosen)
{
    if (chosen == juce::File() || library == nullptr)
        return;

    library->setLibraryFolder (chosen);
    refreshReelList();
}
