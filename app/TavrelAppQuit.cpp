// Quitting: the one quit request (close button, menu, system), the "Save Changes?" prompt, the
// save before quitting, and the shutdown that takes the objects down in an order that keeps
// the audio thread away from deleted ones and loses no data.

#include "app/TavrelApp.h"

#include "app/AppTexts.h"
#include "app/QuitSaveThread.h"
#include "app/SafeAlertWindow.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/SafePluginScanner.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

void TavrelApp::systemRequestedQuit()
{
    // A prompt or a save already under way answers this request.
    if (quitState != QuitState::running)
        return;

    // A save the user started is still writing the reel: quitting now would take the reel from
    // under it. The request stands and is asked again once the save has ended.
    if (processor != nullptr && processor->userSavesUnderWay.load() > 0)
    {
        if (! quitWaitsForSave)
        {
            quitWaitsForSave = true;
            retryQuitAfterSave();
        }
        return;
    }

    if (auto* editor = getEditor())
        editor->closeAllSecondaryWindows();

    if (processor == nullptr)
    {
        quitNow();
        return;
    }

    const auto reelName = processor->getReelName();

    if (reelName.isEmpty() || reelName == AppTexts::untitledReel || ! processor->hasUnsavedChanges())
    {
        quitNow();
        return;
    }

    const auto message = AppTexts::saveChangesMessageStart + reelName + AppTexts::saveChangesMessageEnd;
    auto* prompt = new SafeAlertWindow (AppTexts::saveChangesTitle, message, juce::MessageBoxIconType::QuestionIcon);
    prompt->getProperties().set (SafeAlertWindow::bodyTextProperty, message);

    if (auto* look = getEditorLook())
        prompt->setLookAndFeel (look);

    prompt->addButton (AppTexts::saveButton, 1, juce::KeyPress (juce::KeyPress::returnKey));
    prompt->addButton (AppTexts::dontSaveButton, 0);
    prompt->addButton (AppTexts::cancelButton, 2, juce::KeyPress (juce::KeyPress::escapeKey));

    quitState = QuitState::promptOpen;
    prompt->enterModalState (true,
                             juce::ModalCallbackFunction::create (
                                 [app = juce::WeakReference<TavrelApp> (this), prompt] (int result)
                                 {
                                     const std::unique_ptr<SafeAlertWindow> owned (prompt);
                                     if (auto* target = app.get())
                                         target->quitDialogFinished (result);
                                 }),
                             false);
}

void TavrelApp::retryQuitAfterSave()
{
    juce::Timer::callAfterDelay (100,
                                 [app = juce::WeakReference<TavrelApp> (this)]
                                 {
                                     auto* target = app.get();
                                     if (target == nullptr)
                                         return;

                                     if (target->processor != nullptr &&
                                         target->processor->userSavesUnderWay.load() > 0)
                                     {
                                         target->retryQuitAfterSave();
                                         return;
                                     }

                                     target->quitWaitsForSave = false;
                                     target->systemRequestedQuit();
                                 });
}

void TavrelApp::quitDialogFinished (int result)
{
    if (processor == nullptr)
    {
        quitNow();
        return;
    }

    switch (result)
    {
        case 1:
        {
            quitState = QuitState::saving;
            auto* thread = new QuitSaveThread (*processor,
                                               [app = juce::WeakReference<TavrelApp> (this)] (juce::Result saved)
                                               {
                                                   if (auto* target = app.get())
                                                       target->quitSaveFinished (saved);
                                               });
            runningQuitSave = thread;

            if (auto* look = getEditorLook(); look != nullptr && thread->getAlertWindow() != nullptr)
                thread->getAlertWindow()->setLookAndFeel (look);

            thread->launchThread (juce::Thread::Priority::normal);
            break;
        }

        case 0:
            processor->reelLibrary.deleteRecoveryFolder (processor->getReelName());
            quitNow();
            break;

        default:
            quitState = QuitState::running;
            break;
    }
}

juce::LookAndFeel* TavrelApp::getEditorLook() const
{
    if (auto* editor = getEditor())
        return editor->useModernUI ? static_cast<juce::LookAndFeel*> (&editor->modernLook) : &editor->customLook;

    return nullptr;
}

void TavrelApp::quitSaveFinished (juce::Result result)
{
    runningQuitSave = nullptr;

    if (result.wasOk())
    {
        quitNow();
        return;
    }

    // The reel is not on disk as it is in memory: quitting now would lose it.
    quitState = QuitState::running;
    showNotice (AppTexts::saveFailedTitle, juce::String (AppTexts::saveFailedMessage) + "\n\n" + result.getErrorMessage(),
                juce::MessageBoxIconType::WarningIcon);
}

void TavrelApp::quitNow()
{
    quitState = QuitState::quitting;

    if (quitAction)
        quitAction();
}

void TavrelApp::shutdown()
{
    // A second start from now on becomes an instance of its own.
    instanceChannel.reset();

    // Ended by a signal during the save before quitting: let the save finish first.
    if (runningQuitSave != nullptr)
    {
        runningQuitSave->waitForThreadToExit (-1);
        delete std::exchange (runningQuitSave, nullptr);
    }

    // Likewise a save the user started: the processor and the editor stay until it has written
    // the reel (it is never cut short).
    while (processor != nullptr && processor->userSavesUnderWay.load() > 0)
        juce::Thread::sleep (20);

    // Scanners own themselves and write into the processor's plug-in list; their progress
    // windows may wear the editor's look.
    SafePluginScanner::deleteAll();

    // The window's bar component must not outlive its model.
    if (mainWindow != nullptr)
        mainWindow->setMenuBar (nullptr);
    menuBar.reset();
    mainWindow.reset();

    deviceManager.removeAudioCallback (&player);
    deviceManager.removeMidiInputDeviceCallback ({}, &player);

    // Under the player's lock: the audio thread cannot reach the processor after this.
    player.setProcessor (nullptr);

    stopProcessorWork();
    processor.reset();

    deviceManager.closeAudioDevice();
}

void TavrelApp::stopProcessorWork()
{
    if (processor == nullptr)
        return;

    // The device no longer feeds the bounce: write out what its queue still holds.
    processor->stopLiveBounce();

    // An auto-save under way finishes (the destructor would give it only a few seconds).
    if (auto& autoSave = processor->autoSaveThread; autoSave != nullptr)
    {
        autoSave->signalThreadShouldExit();
        autoSave->waitForThreadToExit (60000);
    }

    // The first-run job resumes at the next start; it stops at its next file.
    processor->firstRunJob.reset();
}
