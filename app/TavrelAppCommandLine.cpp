// Opening a reel file named on the command line, of this start or of a second one.

#include "app/TavrelApp.h"

#include "app/AppTexts.h"
#include "app/CommandLineFile.h"
#include "engine/TavrelDelayAudioProcessor.h"
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

void TavrelApp::openReelFolder (const juce::String& reelName)
{
    if (mainWindow == nullptr || processor == nullptr)
        return;

    // TAPE ROOM: once the editor holds its TapeRoomComponent, find it in the window's content
    // (depth first) and open through TapeRoomComponent::selectAndOpenReel, which offers crash
    // recovery and the device prompt. Until then the reel is loaded here directly.

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
