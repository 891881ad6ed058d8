// Opening a reel file named on the command line, of this start or of a second one.

#include "app/TavrelApp.h"

#include "app/AppTexts.h"
#include "app/CommandLineFile.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "ui/deck/TapeRoomComponent.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

void TavrelApp::openFileFromCommandLine (const juce::String& text, const juce::File& workingDirectory)
{
    if (processor == nullptr || text.isEmpty())
        return;

    auto file = CommandLineFile::resolve (text, workingDirectory);

    if (file == juce::File())
        return;

    juce::String reelName;

    if (CommandLineFile::isArchive (file))
    {
        juce::String reason;
        reelName = processor->reelLibrary.importReelArchive (file, &reason);

        if (reelName.isEmpty())
        {
            // The import leaves no reel behind; the archive stays where it is.
            showNotice (AppTexts::importFailedTitle,
                        "\"" + file.getFileName() + "\" could not be imported.\n\n" + reason,
                        juce::MessageBoxIconType::WarningIcon);
            return;
        }

        // Received attachments and temporary copies go once their reel is in the library.
        if (CommandLineFile::isDisposableCopy (file))
            file.deleteFile();
    }
    else
    {
        reelName = CommandLineFile::findPointerReel (file, processor->reelLibrary.getLibraryRoot());

        if (reelName.isEmpty())
        {
            juce::MessageManager::callAsync (&TavrelApp::showMissingAudioFilesAlert);
            return;
        }
    }

    juce::Timer::callAfterDelay (500,
                                 [app = juce::WeakReference<TavrelApp> (this), reelName]
                                 {
                                     if (auto* target = app.get())
                                         target->openReelFolder (reelName);
                                 });
}

namespace
{
/** The first tape room in the component's tree, depth first, visible or not. */
TapeRoomComponent* findTapeRoom (juce::Component& component)
{
    if (auto* room = dynamic_cast<TapeRoomComponent*> (&component))
        return room;

    for (auto* child : component.getChildren())
        if (auto* room = findTapeRoom (*child))
            return room;

    return nullptr;
}

/** Selects the reel's row in the refreshed list (which honours the search text) and opens it
    the way the user would; nothing when no row has that name. */
void selectAndOpenReel (TapeRoomComponent& room, const juce::String& reelName)
{
    room.refreshReelList();

    for (int row = 0; row < room.rows.size(); ++row)
    {
        if (room.rows.getReference (row).name == reelName)
        {
            room.listBox.selectRow (row);
            room.openSelectedReel();
            return;
        }
    }
}
} // namespace

void TavrelApp::openReelFolder (const juce::String& reelName)
{
    if (mainWindow == nullptr || processor == nullptr)
        return;

    // The editor's tape room opens it through the editor's own open path.
    if (auto* content = mainWindow->getContentComponent())
    {
        if (auto* room = findTapeRoom (*content))
        {
            selectAndOpenReel (*room, reelName);
            return;
        }
    }

    if (auto* editor = getEditor())
        editor->closeAllSecondaryWindows();

    if (! processor->loadReel (reelName, 0))
    {
        showNotice (AppTexts::openFailedTitle, "The reel \"" + reelName + "\" could not be opened.",
                    juce::MessageBoxIconType::WarningIcon);
        return;
    }

    mainWindow->setContentOwned (processor->createEditor(), false);
    mainWindow->setBounds (MainWindow::getMainUserArea());
}

void TavrelApp::showMissingAudioFilesAlert()
{
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, AppTexts::missingAudioTitle,
                                            AppTexts::missingAudioMessage);
}
