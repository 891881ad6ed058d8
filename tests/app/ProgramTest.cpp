#include "app/InstanceChannel.h"
#include "platform/Platform.h"
#include "storage/ReelArchiveWriter.h"
#include "storage/ReelLibrary.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// The built program itself, started as a child process in the test's display (Xvfb) against the
// JACK server of the test run, with its per-user and music folders in a temp folder.
namespace
{
constexpr const char* appName = "Velmora Dravin 8";

class RunningProgram
{
public:
    RunningProgram (const juce::StringArray& arguments, const juce::StringPairArray& environment,
                    const juce::File& logFile)
    {
        std::vector<std::string> args{DRAVIN8_PROGRAM_PATH};
        for (const auto& a : arguments)
            args.push_back (a.toStdString());

        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e)
        {
            const juce::String entry (*e);
            if (! environment.containsKey (entry.upToFirstOccurrenceOf ("=", false, false)))
                env.emplace_back (*e);
        }
        for (const auto& key : environment.getAllKeys())
            env.push_back ((key + "=" + environment[key]).toStdString());

        std::vector<char*> argv, envp;
        for (auto& a : args)
            argv.push_back (a.data());
        argv.push_back (nullptr);
        for (auto& e : env)
            envp.push_back (e.data());
        envp.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        const auto log = logFile.getFullPathName().toStdString();
        posix_spawn_file_actions_addopen (&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2 (&actions, 1, 2);

        if (posix_spawn (&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;

        posix_spawn_file_actions_destroy (&actions);
    }

    ~RunningProgram()
    {
        if (pid > 0 && ! exited)
        {
            ::kill (pid, SIGKILL);
            ::waitpid (pid, nullptr, 0);
        }
    }

    bool started() const { return pid > 0; }
    int getPid() const { return (int)pid; }

    /** Waits for the program to end; its exit code, or -1 when it did not end in time or ended
        by a signal. */
    int waitForExit (int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
        while (! exited && juce::Time::getMillisecondCounter() < end)
        {
            int status = 0;
            if (::waitpid (pid, &status, WNOHANG) == pid)
            {
                exited = true;
                exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : -1;
                break;
            }
            juce::Thread::sleep (20);
        }
        return exited ? exitCode : -1;
    }

    int interruptAndWait (int timeoutMs)
    {
        ::kill (pid, SIGINT);
        return waitForExit (timeoutMs);
    }

private:
    pid_t pid = -1;
    bool exited = false;
    int exitCode = -1;
};

template <typename Predicate> bool waitUntil (Predicate done, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! done() && juce::Time::getMillisecondCounter() < end)
        juce::Thread::sleep (50);
    return done();
}

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
            GTEST_SKIP() << "the program needs a display (run under xvfb-run)";

        environment.set ("DRAVIN8_USER_FOLDER", userFolder.getFullPathName());
        environment.set ("DRAVIN8_MUSIC_FOLDER", musicFolder.getFullPathName());
        environment.set ("DRAVIN8_UPDATE_URL", ""); // no network
        environment.set ("JACK_NO_START_SERVER", "1");
    }

    std::unique_ptr<RunningProgram> start (const juce::StringArray& arguments = {})
    {
        auto program = std::make_unique<RunningProgram> (arguments, environment, sandbox / "program.log");
        EXPECT_TRUE (program->started());
        return program;
    }

    juce::File socketFile() const { return InstanceChannel::socketFileFor (userFolder, appName); }

    /** Up and listening for second starts (its start-up is complete then). */
    bool waitUntilRunning() const
    {
        return waitUntil ([this] { return InstanceChannel::send (socketFile(), {"", sandbox.getFile()}, 1000); }, 60000);
    }

    /** The windows titled with the program's name that the given process shows (other tests
        may show windows of that name on the same display meanwhile). */
    static int countWindows (int pid)
    {
        const auto run = [] (const juce::String& command)
        {
            juce::ChildProcess process;
            return process.start (command) ? process.readAllProcessOutput() : juce::String();
        };

        int count = 0;
        for (const auto& line : juce::StringArray::fromLines (run ("xwininfo -root -tree")))
        {
            // The main window's title names the open reel after the program's name.
            const auto title = line.fromFirstOccurrenceOf ("\"", false, false).upToLastOccurrenceOf ("\": (", false, false);
            if (! line.contains ("\": (") || (title != appName && ! title.startsWith (juce::String (appName) + " - ")))
                continue;

            const auto id = line.trim().upToFirstOccurrenceOf (" ", false, false);
            const auto owner = run ("xprop -id " + id + " _NET_WM_PID").fromLastOccurrenceOf ("=", false, false);
            if (owner.trim().getIntValue() == pid)
                ++count;
        }
        return count;
    }

    juce::String log() const { return (sandbox / "program.log").loadFileAsString(); }

    /** A reel archive holding what a save cut off by a crash left in the reel folder (a backup
        made by hand or by an older build can hold it). Opening the reel clears it away, which
        shows from outside that the program opened that reel. */
    juce::File makeArchive (const juce::String& reelName, const juce::File& destination)
    {
        const Platform::ScopedFolderOverride folders (userFolder, musicFolder);
        ReelLibrary library;
        EXPECT_TRUE (library.createReel (reelName, 10.0, 48000.0, 8).wasOk());
        const auto folder = library.getReelFolder (reelName);
        folder.getChildFile (leftoverFile).replaceWithText ("cut off");
        destination.getParentDirectory().createDirectory();
        EXPECT_TRUE (ReelArchiveWriter::write (ReelArchiveWriter::listFolder (folder), destination).wasOk());
        library.deleteReelFolder (reelName);
        return destination;
    }

    static constexpr const char* leftoverFile = "track_1.wav.tmp";

    juce::File reelsFolder() const { return musicFolder.getChildFile ("Velmora/Dravin 8/Reels"); }

    bool opened (const juce::String& reelName) const
    {
        return waitUntil ([&]
                          {
                              const auto folder = reelsFolder().getChildFile (reelName);
                              return folder.getChildFile ("settings.xml").existsAsFile()
                                     && ! folder.getChildFile (leftoverFile).exists();
                          },
                          60000);
    }

    TempDir sandbox{"dravin8-program"};
    const juce::File userFolder = sandbox / "user";
    const juce::File musicFolder = sandbox / "music";
    juce::StringPairArray environment;
};
} // namespace

TEST_F (ProgramTest, StartsWithItsWindowAndQuitsCleanlyOnInterrupt)
{
    auto program = start();
    ASSERT_TRUE (waitUntilRunning()) << log();
    EXPECT_TRUE (waitUntil ([&] { return countWindows (program->getPid()) == 1; }, 60000)) << log();
    EXPECT_TRUE (userFolder.getChildFile ("session.lock").existsAsFile());

    EXPECT_EQ (program->interruptAndWait (60000), 0) << log();
    EXPECT_FALSE (userFolder.getChildFile ("session.lock").exists());
    EXPECT_FALSE (socketFile().exists());
}

TEST_F (ProgramTest, OpensTheCommandLineReelAndTakesOverASecondStart)
{
    const auto first = makeArchive ("First Take", sandbox / "Mail/Inbox/First Take.zip");
    const auto second = makeArchive ("Second Take", sandbox / "Mail/Inbox/Second Take.zip");

    auto program = start ({first.getFullPathName()});
    ASSERT_TRUE (waitUntilRunning()) << log();
    EXPECT_TRUE (opened ("First Take")) << log();
    // A received attachment goes once imported, just after the unpacked folder is complete.
    EXPECT_TRUE (waitUntil ([&] { return ! first.exists(); }, 60000)) << log();

    // The second start hands its file over and ends without a window of its own.
    auto secondStart = start ({second.getFullPathName()});
    EXPECT_EQ (secondStart->waitForExit (60000), 0) << log();
    EXPECT_TRUE (opened ("Second Take")) << log();
    // The title follows the newly opened reel a moment later: look again until it settles.
    EXPECT_TRUE (waitUntil ([&] { return countWindows (program->getPid()) == 1; }, 10000)) << log();
    EXPECT_EQ (countWindows (secondStart->getPid()), 0);

    EXPECT_EQ (program->interruptAndWait (60000), 0) << log();
}

TEST_F (ProgramTest, RunsWithNoAudioDeviceAtAll)
{
    // No JACK server by that name, and an ALSA without configuration offers no device.
    environment.set ("JACK_DEFAULT_SERVER", "dravin8-no-such-server");
    environment.set ("ALSA_CONFIG_PATH", (sandbox / "no-alsa.conf").getFullPathName());

    auto program = start();
    ASSERT_TRUE (waitUntilRunning()) << log();
    EXPECT_TRUE (waitUntil ([&] { return countWindows (program->getPid()) == 1; }, 60000)) << log();
    EXPECT_EQ (program->interruptAndWait (60000), 0) << log();
}
