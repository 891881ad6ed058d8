#pragma once

#include "app/InstanceChannel.h"
#include "app/MainAppMenuBar.h"
#include "app/MainWindow.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class TavrelDelayAudioProcessor;
class TavrelDelayAudioProcessorEditor;
class QuitSaveThread;

/** The application object. It owns the audio device manager, the player that drives the
    processor from the device, the processor, the main window and the menu bar for the whole
    run. Start-up and the command line are in TavrelApp.cpp, quitting and shutdown in
    TavrelAppQuit.cpp, opening a reel file in TavrelAppCommandLine.cpp.

    Tests construct it (only one at a time: it is the process's application instance), call
    initialise and the entry points, and put their own quitAction in place of the framework's
    quit, which would end their message loop for good. */
class TavrelApp : public juce::JUCEApplication
{
public:
    TavrelApp();

    /** Runs shutdown when the framework did not, then lets the members go. */
    ~TavrelApp() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;

    /** True: the framework's own rule cannot hand a command line over on Linux, so
        initialiseApp applies the program's rule (InstanceChannel) instead. */
    bool moreThanOneInstanceAllowed() override;

    /** The single-instance rule, then the framework's start-up (which calls initialise). A
        second start hands its command line to the running instance and ends here. */
    bool initialiseApp() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;
    void systemRequestedQuit() override;
    void resumed() override;

    /** A second start's command line, with the folder it was started in: brings the main
        window to the front and opens the file the text names. */
    void handOver (const juce::String& commandLine, const juce::File& workingDirectory);

    /** Opens the reel file a command-line text names (see CommandLineFile): an archive is
        imported into the library (and deleted afterwards only when it is a received or
        temporary copy), a pointer file opens its library reel. The reel opens 500 ms later. */
    void openFileFromCommandLine (const juce::String& text, const juce::File& workingDirectory);

    /** Opens a library reel by name in place of the editor's current state. */
    void openReelFolder (const juce::String& reelName);

    static void showMissingAudioFilesAlert();

    /** The prompt's callback: 1 Save, 0 Don't Save, 2 Cancel. */
    void quitDialogFinished (int result);

    /** End of the save before quitting: quits after a save that worked; after a failure tells
        the user and stays open. */
    void quitSaveFinished (juce::Result result);

    enum class QuitState
    {
        running,
        promptOpen,
        saving,
        quitting
    };

    QuitState getQuitState() const noexcept { return quitState; }

    /** What ends the message loop: the framework's quit. */
    std::function<void()> quitAction = [] { juce::JUCEApplicationBase::quit(); };

    /** The processor's editor when it is the main window's content. */
    TavrelDelayAudioProcessorEditor* getEditor() const;

    juce::AudioDeviceManager deviceManager;
    juce::AudioProcessorPlayer player;
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<MainAppMenuBar> menuBar;

private:
    /** Opens the saved device set-up, else the default device (a running JACK server first);
        with no saved set-up every input channel of the device is switched on. */
    void openAudioDevice();
    void enableMidiInputs();
    void quitNow();
    /** Asks the quit request again once no user save is under way any more. */
    void retryQuitAfterSave();

    /** The editor's current look (minimal or skeuomorphic), for the quit dialogs. */
    juce::LookAndFeel* getEditorLook() const;
    void showNotice (const juce::String& title, const juce::String& message, juce::MessageBoxIconType icon);

    /** Stops the processor's background work so that nothing is lost: the live bounce is
        flushed, an auto-save under way is finished, the first-run job stops at its next file. */
    void stopProcessorWork();

    std::unique_ptr<InstanceChannel> instanceChannel;
    QuitState quitState = QuitState::running;
    QuitSaveThread* runningQuitSave = nullptr;
    bool quitWaitsForSave = false;

    JUCE_DECLARE_WEAK_REFERENCEABLE (TavrelApp)
    JUCE_DECLARE_NON_COPYABLE (TavrelApp)
};
