#include "app/InstanceChannel.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TempDir.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
class InstanceChannelTest : public ::testing::Test
{
protected:
    juce::File socketFile() const { return InstanceChannel::socketFileFor (folder.getFile(), "Velmora Dravin 8"); }

    TempDir folder{"dravin8-channel"};
    juce::Array<InstanceChannel::Message> received;

    std::function<void (const InstanceChannel::Message&)> collect()
    {
        return [this] (const InstanceChannel::Message& m) { received.add (m); };
    }
};
} // namespace

TEST_F (InstanceChannelTest, SecondStartHandsItsCommandLineToTheFirst)
{
    InstanceChannel first (socketFile());
    ASSERT_EQ (first.claim ({"", folder.getFile()}, collect()), InstanceChannel::Outcome::becameFirst);

    // Only the user may reach the socket.
    struct stat info{};
    ASSERT_EQ (::stat (socketFile().getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0600u);

    const auto elsewhere = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    InstanceChannel second (socketFile());
    EXPECT_EQ (second.claim ({"\"My Song.reel\"", elsewhere}, collect()), InstanceChannel::Outcome::handedOver);
    EXPECT_FALSE (second.isListening());

    ASSERT_TRUE (ShellTest::runMessagesUntil ([this] { return received.size() == 1; }, 3000));
    EXPECT_EQ (received[0].commandLine, "\"My Song.reel\"");
    EXPECT_EQ (received[0].workingDirectory, elsewhere);

    // An empty command line arrives too (it brings the window to the front).
    EXPECT_TRUE (InstanceChannel::send (socketFile(), {"", elsewhere}));
    EXPECT_TRUE (ShellTest::runMessagesUntil ([this] { return received.size() == 2; }, 3000));
}

TEST_F (InstanceChannelTest, StaleSocketOfACrashedRunIsTakenOver)
{
    // A socket file nobody listens on, as a killed instance leaves it.
    {
        const auto fd = ::socket (AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socketFile().getFullPathName().copyToUTF8 (address.sun_path, sizeof (address.sun_path));
        ASSERT_EQ (::bind (fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)), 0);
        ::close (fd);
    }
    ASSERT_TRUE (socketFile().exists());

    InstanceChannel channel (socketFile());
    EXPECT_EQ (channel.claim ({"", folder.getFile()}, collect()), InstanceChannel::Outcome::becameFirst);
    EXPECT_TRUE (InstanceChannel::send (socketFile(), {"x.reel", folder.getFile()}));
}

TEST_F (InstanceChannelTest, ClosingRemovesTheSocketAndNoMessageArrivesAfterwards)
{
    {
        InstanceChannel channel (socketFile());
        ASSERT_EQ (channel.claim ({"", folder.getFile()}, collect()), InstanceChannel::Outcome::becameFirst);
        EXPECT_TRUE (InstanceChannel::send (socketFile(), {"late.reel", folder.getFile()}));
    } // the posted message is still in the queue

    ShellTest::runMessages (100);
    EXPECT_TRUE (received.isEmpty());
    EXPECT_FALSE (socketFile().exists());
    EXPECT_FALSE (InstanceChannel::send (socketFile(), {"", folder.getFile()}));
}

TEST_F (InstanceChannelTest, FoldersInOtherUserFoldersAreSeparateInstances)
{
    TempDir other{"dravin8-channel-other"};
    InstanceChannel first (socketFile());
    InstanceChannel second (InstanceChannel::socketFileFor (other.getFile(), "Velmora Dravin 8"));

    EXPECT_EQ (first.claim ({"", folder.getFile()}, collect()), InstanceChannel::Outcome::becameFirst);
    EXPECT_EQ (second.claim ({"", other.getFile()}, collect()), InstanceChannel::Outcome::becameFirst);
}

TEST (InstanceChannelPath, LongFolderPathsGetAShortPrivateSocket)
{
    const auto deep = juce::File ("/tmp").getChildFile (juce::String::repeatedString ("long folder name ", 8));
    const auto socket = InstanceChannel::socketFileFor (deep, "Velmora Dravin 8");

    EXPECT_LT (socket.getFullPathName().getNumBytesAsUTF8(), 100);
    EXPECT_NE (socket, InstanceChannel::socketFileFor (deep.getChildFile ("x"), "Velmora Dravin 8"));

    InstanceChannel channel (socket);
    juce::Array<InstanceChannel::Message> got;
    ASSERT_EQ (channel.claim ({"", deep}, [&got] (const InstanceChannel::Message& m) { got.add (m); }),
               InstanceChannel::Outcome::becameFirst);

    struct stat info{};
    ASSERT_EQ (::lstat (socket.getParentDirectory().getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0700u);
}
