#include "app/AppTexts.h"
#include "app/SafeAlertWindow.h"
#include "app/TavrelApp.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "platform/SimulatedAudioDeviceType.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TempDir.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <cstdlib>

// The application object in this process, one at a time: started on a simulated device with
// eight inputs, quit through its own quit request (the framework's quit would end the test's
// message loop for good, so the test's quitAction only records it).
namespace
{
class TavrelAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tempFolder.createDirectory();
        ::setenv ("TMPDIR", tempFolder.getFullPathName().toRawUTF8(), 1);
    }

    void TearDown() override
    {
        juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
        ShellTest::runMessages (50);

        if (app != nullptr)
        {
            app->shutdown();
            app.reset();
        }

        ::unsetenv ("TMPDIR");
    }

    void start (const juce::String& commandLine = {})
    {
        app = std::make_unique<TavrelApp>();
        app->quitAction = [this] { ++quitRequests; };

        SimulatedAudioDevice::Config device;
        device.inputChannelNames = {"In 1", "In 2", "In 3", "In 4", "In 5", "In 6", "In 7", "In 8"};
        device.clock = SimulatedAudioDevice::Clock::realTime;
        app->deviceManager.addAudioDeviceType (std::make_unique<SimulatedAudioDeviceType> (juce::Array{device}));

        app->initialise (commandLine);
    }

    TavrelDelayAudioProcessor& processor() { return *app->processor; }
    ReelLibrary& library() { return processor().reelLibrary; }

    /** A reel in the library, open and changed since its last save. */
    void openChangedReel (const juce::String& name)
    {
        ASSERT_TRUE (library().createReel (name, 30.0, 48000.0, 8).wasOk());
        ASSERT_TRUE (processor().loadReel (name, 0));
        processor().unsavedChanges = true;
    }

    /** A reel archive made by the library's own backup, with the reel itself gone again. */
    juce::File makeArchive (const juce::String& reelName, const juce::File& destination)
    {
        destination.getParentDirectory().createDirectory();
        EXPECT_TRUE (library().createReel (reelName, 10.0, 48000.0, 8).wasOk());
        EXPECT_TRUE (library().zipReel (reelName, destination).wasOk());
        library().deleteReelFolder (reelName);
        return destination;
    }

    static juce::AlertWindow* modalAlert()
    {
        return dynamic_cast<juce::AlertWindow*> (juce::ModalComponentManager::getInstance()->getModalComponent (0));
    }

    static juce::String bodyOf (juce::Component& window)
    {
        return window.getProperties()[SafeAlertWindow::bodyTextProperty].toString();
    }

    static bool clickButton (juce::AlertWindow& window, const juce::String& text)
    {
        for (auto* child : window.getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == text)
            {
                button->triggerClick();
                return true;
            }

        return false;
    }

    bool waitForAlert (const juce::String& title)
    {
        return ShellTest::runMessagesUntil ([&] { return modalAlert() != nullptr && modalAlert()->getName() == title; },
                                            5000);
    }

    bool waitForReel (const juce::String& name)
    {
        return ShellTest::runMessagesUntil ([&] { return processor().getReelName() == name; }, 5000);
    }

    TempDir sandbox{"dravin8-app"};
    const Platform::ScopedFolderOverride folders{sandbox / "user", sandbox / "music"};
    const juce::File tempFolder = sandbox / "temp";
    std::unique_ptr<TavrelApp> app;
    int quitRequests = 0;
};
} // namespace

TEST_F (TavrelAppTest, StartsWithTheEditorInTheMainWindowAndEveryInputOn)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();

    EXPECT_EQ (app->getApplicationName(), "Velmora Dravin 8");
    EXPECT_EQ (app->getApplicationVersion(), "2.2");

    ASSERT_NE (app->mainWindow, nullptr);
    EXPECT_TRUE (ShellTest::hasNativeWindow (*app->mainWindow));
    EXPECT_EQ (app->mainWindow->getName(), "Velmora Dravin 8");
    EXPECT_NE (app->getEditor(), nullptr);
    EXPECT_EQ (processor().deviceManager, &app->deviceManager);

    // The device opened with two inputs by default; start-up switched on all eight.
    auto* device = app->deviceManager.getCurrentAudioDevice();
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->getActiveInputChannels().countNumberOfSetBits(), 8);

    // The player runs the processor: it has been prepared at the device's rate.
    EXPECT_TRUE (ShellTest::runMessagesUntil ([&] { return processor().getSampleRate() > 0.0; }, 3000));
}

TEST_F (TavrelAppTest, QuitsAtOnceWithoutANamedChangedReel)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();

    processor().unsavedChanges = true; // "Untitled": never prompted for
    app->systemRequestedQuit();

    EXPECT_EQ (quitRequests, 1);
    EXPECT_EQ (modalAlert(), nullptr);
}

TEST_F (TavrelAppTest, SaveChangesPromptCancelsAndDontSaveDropsTheRecoveryCopy)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    openChangedReel ("Song");
    const auto recovery = library().getReelFolder ("Song").getChildFile ("Recovery");
    recovery.createDirectory();
    recovery.getChildFile ("settings.xml").replaceWithText ("<PARAMETERS/>");

    app->systemRequestedQuit();
    auto* prompt = dynamic_cast<SafeAlertWindow*> (modalAlert());
    ASSERT_NE (prompt, nullptr);
    EXPECT_EQ (prompt->getName(), "Save Changes?");
    EXPECT_EQ (bodyOf (*prompt), "Do you want to save changes to 'Song' before quitting?");
    EXPECT_EQ (prompt->getNumButtons(), 3);

    app->systemRequestedQuit(); // a second request while the prompt is open changes nothing
    EXPECT_EQ (modalAlert(), prompt);

    ShellTest::pressKey (*prompt, juce::KeyPress::escapeKey); // Cancel
    ASSERT_TRUE (ShellTest::runMessagesUntil ([] { return modalAlert() == nullptr; }, 3000));
    EXPECT_EQ (quitRequests, 0);
    EXPECT_EQ (app->getQuitState(), TavrelApp::QuitState::running);

    app->systemRequestedQuit();
    ASSERT_NE (modalAlert(), nullptr);
    ASSERT_TRUE (clickButton (*modalAlert(), "Don't Save"));
    ASSERT_TRUE (ShellTest::runMessagesUntil ([&] { return quitRequests == 1; }, 3000));
    EXPECT_FALSE (recovery.exists());
    EXPECT_TRUE (library().getReelFolder ("Song").getChildFile ("settings.xml").existsAsFile());
}

TEST_F (TavrelAppTest, SaveBeforeQuitSavesThenQuits)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    openChangedReel ("Song");
    processor().tracks[0].getAudio().setSample (0, 100, 0.5f);
    processor().tracks[0].dirty = true;

    app->systemRequestedQuit();
    ASSERT_NE (modalAlert(), nullptr);
    ShellTest::pressKey (*modalAlert(), juce::KeyPress::returnKey); // Save

    ASSERT_TRUE (ShellTest::runMessagesUntil ([&] { return quitRequests == 1; }, 20000));
    EXPECT_FALSE (processor().hasUnsavedChanges());
    EXPECT_TRUE (library().getReelFolder ("Song").getChildFile ("track_1.wav").existsAsFile());
}

TEST_F (TavrelAppTest, AQuitDuringAUserSaveWaitsForTheSaveAndThenQuits)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    openChangedReel ("Song");
    processor().tracks[0].getAudio().setSample (0, 100, 0.5f);
    processor().tracks[0].dirty = true;
    auto* editor = app->getEditor();
    ASSERT_NE (editor, nullptr);

    {
        // Holding the save lock keeps the save from writing while the quit comes.
        const juce::ScopedLock holdTheSave (processor().saveLock);
        editor->startSaveReelThread ({}, 0);
        ShellTest::runMessages (100);

        // The window's close button: neither a prompt nor a quit while the save is pending.
        app->systemRequestedQuit();
        ShellTest::runMessages (300);
        EXPECT_EQ (quitRequests, 0);
        EXPECT_EQ (processor().userSavesUnderWay.load(), 1);
        EXPECT_EQ (app->getQuitState(), TavrelApp::QuitState::running);
    }

    // The save writes the reel, and the quit it held back follows without asking.
    ASSERT_TRUE (ShellTest::runMessagesUntil ([&] { return quitRequests == 1; }, 20000));
    EXPECT_EQ (processor().userSavesUnderWay.load(), 0);
    EXPECT_FALSE (processor().hasUnsavedChanges());
    EXPECT_TRUE (library().getReelFolder ("Song").getChildFile ("track_1.wav").existsAsFile());
}

TEST_F (TavrelAppTest, FailingSaveBeforeQuitKeepsTheProgramOpen)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    openChangedReel ("Song");

    // The reel's folder cannot be written: a file stands where it was.
    const auto folder = library().getReelFolder ("Song");
    ASSERT_TRUE (folder.deleteRecursively());
    ASSERT_TRUE (folder.replaceWithText ("in the way"));

    app->systemRequestedQuit();
    ASSERT_NE (modalAlert(), nullptr);
    ShellTest::pressKey (*modalAlert(), juce::KeyPress::returnKey);

    ASSERT_TRUE (waitForAlert ("Save Failed"));
    EXPECT_TRUE (bodyOf (*modalAlert()).startsWith (AppTexts::saveFailedMessage));
    EXPECT_EQ (quitRequests, 0);
    EXPECT_EQ (app->getQuitState(), TavrelApp::QuitState::running);
    EXPECT_TRUE (processor().hasUnsavedChanges());
    EXPECT_NE (app->mainWindow, nullptr);
}

TEST_F (TavrelAppTest, ArchiveOnTheCommandLineIsImportedOpenedAndATempCopyDeleted)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    const auto archive = makeArchive ("Take", tempFolder.getChildFile ("attachment/Take.zip"));
    ASSERT_TRUE (library().createReel ("Take", 10.0, 48000.0, 8).wasOk()); // the name is taken now

    app->openFileFromCommandLine ("\"" + archive.getFullPathName() + "\"", sandbox.getFile());

    // The import took the free name "Take (2)", and that is what opens.
    ASSERT_TRUE (waitForReel ("Take (2)"));
    EXPECT_FALSE (archive.exists());
    ASSERT_NE (app->getEditor(), nullptr);
    EXPECT_FALSE (app->getEditor()->tapeRoomShowing); // the deck shows the reel
}

TEST_F (TavrelAppTest, ArchivesAndPointersOutsideTempFoldersStay)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    const auto archive = makeArchive ("Kept", sandbox / "Documents/tmp/Kept.zip");

    app->openFileFromCommandLine (archive.getFullPathName(), {});
    ASSERT_TRUE (waitForReel ("Kept"));
    EXPECT_TRUE (archive.existsAsFile());

    // The pointer inside the library reel's folder, even in a temp folder, is never deleted.
    processor().ejectReel();
    const auto pointer = library().getReelFolder ("Kept").getChildFile ("Kept.reel");
    const auto tempPointer = tempFolder.getChildFile ("Kept.reel");
    ASSERT_TRUE (pointer.copyFileTo (tempPointer));
    app->openFileFromCommandLine (tempPointer.getFullPathName(), {});
    ASSERT_TRUE (waitForReel ("Kept"));
    EXPECT_TRUE (tempPointer.existsAsFile());
}

TEST_F (TavrelAppTest, FailedImportLeavesNoReelAndKeepsTheArchive)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();

    // A ZIP that is no reel: its entry would land outside the reel folder.
    const auto archive = tempFolder.getChildFile ("Evil.zip");
    {
        juce::ZipFile::Builder builder;
        builder.addEntry (new juce::MemoryInputStream ("x", 1, false), 0, "../escape.txt", juce::Time::getCurrentTime());
        juce::FileOutputStream out (archive);
        ASSERT_TRUE (builder.writeToStream (out, nullptr));
    }
    const auto reelsBefore = library().getLibraryRoot().findChildFiles (juce::File::findDirectories, false).size();

    app->openFileFromCommandLine (archive.getFullPathName(), {});

    ASSERT_TRUE (waitForAlert ("Import Failed"));
    EXPECT_EQ (library().getLibraryRoot().findChildFiles (juce::File::findDirectories, false).size(), reelsBefore);
    EXPECT_TRUE (archive.existsAsFile());
    EXPECT_EQ (processor().getReelName(), "Untitled");
}

TEST_F (TavrelAppTest, LonePointerShowsMissingAudioFiles)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    const auto pointer = sandbox / "Desktop/Lost.reel";
    pointer.create();

    app->openFileFromCommandLine (pointer.getFullPathName(), {});
    ASSERT_TRUE (waitForAlert ("Missing Audio Files"));
    ShellTest::runMessages (700);
    EXPECT_EQ (processor().getReelName(), "Untitled");
}

TEST_F (TavrelAppTest, HandOverOpensARelativePathFromTheSecondStartsFolder)
{
    DRAVIN8_SKIP_WITHOUT_DISPLAY();
    start();
    const auto archive = makeArchive ("Elsewhere", sandbox / "Other/Elsewhere.zip");

    app->handOver ("Elsewhere.zip", archive.getParentDirectory());
    EXPECT_TRUE (waitForReel ("Elsewhere"));
}
