#include "ui/deck/TapeRoomComponent.h"

#include "app/SafeAlertWindow.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelList.h"
#include "storage/StorageIds.h"
#include "ui/deck/BackupThread.h"
#include "ui/deck/TapeRoomDialogs.h"
#include "ui/deck/TapeRoomTexts.h"

namespace
{
bool holdsSettings (const juce::File& folder)
{
    return folder.getChildFile (StorageIds::settingsFile).existsAsFile();
}

juce::KeyPress returnKey()
{
    return juce::KeyPress (juce::KeyPress::returnKey);
}

juce::KeyPress escapeKey()
{
    return juce::KeyPress (juce::KeyPress::escapeKey);
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

juce::String TapeRoomComponent::reelForPointerFile (const juce::File& pointer) const
{
    if (library != nullptr)
        if (const auto candidate = library->getReelFolder (pointer.getFileNameWithoutExtension());
            candidate != juce::File() && holdsSettings (candidate))
            return candidate.getFileName();

    if (holdsSettings (pointer.getParentDirectory()))
        return pointer.getParentDirectory().getFileName();

    return {};
}

void TapeRoomComponent::openChosenReel (const juce::File& chosen)
{
    if (chosen == juce::File() || library == nullptr)
        return;

    if (chosen.hasFileExtension (".reel;.zip"))
    {
        juce::String reelName;

        // Pointer files and backup archives share the extension: the content tells them apart.
        if (juce::ZipFile (chosen).getNumEntries() == 0)
        {
            reelName = reelForPointerFile (chosen);
        }
        else
        {
            juce::String reason;
            reelName = library->importReelArchive (chosen, &reason);

            if (reelName.isEmpty())
            {
                TapeRoomDialogs::showNotice (TapeRoomTexts::importFailedTitle, reason, look);
                return;
            }
        }

        if (reelName.isEmpty())
            TapeRoomDialogs::showNotice (TapeRoomTexts::missingAudioTitle, TapeRoomTexts::missingAudioMessage, look);
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
    auto* dialog = TapeRoomDialogs::create (TapeRoomTexts::renameTitle, TapeRoomTexts::renameMessageStart + oldName,
                                            juce::MessageBoxIconType::NoIcon, look);
    dialog->addTextEditor (TapeRoomTexts::nameField, oldName, {});
    dialog->addButton (TapeRoomTexts::renameButton, 1, returnKey());
    dialog->addButton (TapeRoomTexts::cancelButton, 0, escapeKey());

    TapeRoomDialogs::show (dialog, [weakThis = juce::WeakReference<TapeRoomComponent> (this), dialog, oldName] (int result) {
        if (auto* room = weakThis.get())
            room->finishRename (result, oldName, dialog->getTextEditorContents (TapeRoomTexts::nameField));
    });
}

void TapeRoomComponent::finishRename (int result, const juce::String& oldName, const juce::String& typedName)
{
    if (result != 1 || library == nullptr)
        return;

    const auto newName = typedName.trim();

    if (newName != oldName && ! refuseNewName (newName, oldName))
        if (auto renamed = library->renameReel (oldName, newName); renamed.failed())
            TapeRoomDialogs::showNotice (TapeRoomTexts::renameFailedTitle, renamed.getErrorMessage(), look);

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
    auto* dialog = TapeRoomDialogs::create (TapeRoomTexts::duplicateTitle, TapeRoomTexts::duplicateMessage,
                                            juce::MessageBoxIconType::NoIcon, look);
    dialog->addTextEditor (TapeRoomTexts::nameField, row->name + TapeRoomTexts::duplicateSuffix, {});
    dialog->addButton (TapeRoomTexts::duplicateButton, 1, returnKey());
    dialog->addButton (TapeRoomTexts::cancelButton, 0, escapeKey());

    TapeRoomDialogs::show (dialog,
                           [weakThis = juce::WeakReference<TapeRoomComponent> (this), dialog, sourceFolder] (int result) {
                               if (auto* room = weakThis.get())
                                   room->finishDuplicate (result, sourceFolder,
                                                          dialog->getTextEditorContents (TapeRoomTexts::nameField));
                           });
}

void TapeRoomComponent::finishDuplicate (int result, const juce::File& sourceFolder, const juce::String& typedName)
{
    if (result != 1 || library == nullptr)
        return;

    const auto newName = typedName.trim();
    if (refuseNewName (newName))
        return;

    const auto target = library->getReelFolder (newName);

    // A copy that stops part-way is taken away again: half a tape on the shelf would look whole.
    if (! sourceFolder.copyDirectoryTo (target))
    {
        target.deleteRecursively();
        TapeRoomDialogs::showNotice (TapeRoomTexts::duplicateFailedTitle,
                                     "The tape could not be copied; nothing was duplicated.", look);
        refreshReelList();
        return;
    }

    // The copy's pointer file follows its new name, so that opening it opens the copy.
    const auto copiedPointer = target.getChildFile (sourceFolder.getFileName() + ".reel");
    if (copiedPointer.existsAsFile())
        copiedPointer.moveFileTo (target.getChildFile (newName + ".reel"));

    refreshReelList();
}

//==============================================================================
// DELETE TAPE

void TapeRoomComponent::showDeleteDialog()
{
    const auto* row = getSelectedRow();
    if (row == nullptr)
        return;

    const auto name = row->name;
    auto* dialog = TapeRoomDialogs::create (TapeRoomTexts::deleteTitle,
                                            TapeRoomTexts::deleteMessageStart + name + TapeRoomTexts::deleteMessageEnd,
                                            juce::MessageBoxIconType::WarningIcon, look);
    dialog->addButton (TapeRoomTexts::deleteButton, 1, returnKey());
    dialog->addButton (TapeRoomTexts::cancelButton, 0, escapeKey());

    TapeRoomDialogs::show (dialog, [weakThis = juce::WeakReference<TapeRoomComponent> (this), name] (int result) {
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
