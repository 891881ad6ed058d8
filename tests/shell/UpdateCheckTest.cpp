#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/UpdateCheck.h"
#include "platform/Platform.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDir.h"

#include <cstdlib>

namespace
{
/** The loopback server with the version document at /dravin8/version.txt. */
struct UpdateServer
{
    UpdateServer (int status, const juce::String& body)
    {
        LoopbackHttpServer::Response response;
        response.status = status;
        response.body = juce::MemoryBlock (body.toRawUTF8(), body.getNumBytesAsUTF8());
        response.contentType = "text/plain";
        server.serve ("/dravin8/version.txt", std::move (response));
    }

    juce::String address() const { return "http://127.0.0.1:" + juce::String (server.getPort()) + "/dravin8/"; }

    LoopbackHttpServer server;
};

/** Sets an environment variable for one test and puts the old value back. */
class ScopedEnvironment
{
public:
    ScopedEnvironment (const char* variable, const char* value) : name (variable)
    {
        if (const auto* old = std::getenv (name))
            previous = old, hadValue = true;

        if (value != nullptr)
            ::setenv (name, value, 1);
        else
            ::unsetenv (name);
    }

    ~ScopedEnvironment()
    {
        if (hadValue)
            ::setenv (name, previous.c_str(), 1);
        else
            ::unsetenv (name);
    }

private:
    const char* name;
    std::string previous;
    bool hadValue = false;
};
} // namespace

TEST (UpdateCheckParse, VersionDocumentCases)
{
    const struct
    {
        const char* document;
        bool update;
        const char* notes;
    } cases[] = {
        {"2.2", false, ""},
        {"2.2\nSomething new", false, ""},
        {"2.3\n\nFaster tape\nNew reverb\n", true, "Faster tape\nNew reverb"},
        {"2.3\r\n  Faster tape  \r\n\r\n New reverb\r\n", true, "Faster tape\nNew reverb"},
        {"2.1", true, "Bug fixes and performance improvements."}, // not ordered: any other version
        {"2.3", true, "Bug fixes and performance improvements."},
        {"\n\n  2.3\nNote", true, "Note"},                        // blank lines before it are skipped
        {"<!DOCTYPE html>\n<html>", false, ""},                  // a page is no version
        {"1234567890", false, ""},                               // ten characters: too long
        {"123456789", true, "Bug fixes and performance improvements."},
        {"", false, ""},
        {"   \n  ", false, ""},
    };

    for (const auto& c : cases)
    {
        const auto outcome = UpdateCheck::parse (c.document, "2.2");
        EXPECT_EQ (outcome.updateAvailable, c.update) << c.document;
        EXPECT_EQ (outcome.notes, juce::String (c.notes)) << c.document;
    }
}

TEST (UpdateCheckAddress, DocumentUnderTheServerWithACacheBreaker)
{
    EXPECT_EQ (UpdateCheck::makeDocumentAddress ("http://example.test/d8", 1234).toString (true),
               "http://example.test/d8/version.txt?nocache=1234");
    EXPECT_EQ (UpdateCheck::makeDocumentAddress ("http://example.test/d8/", 7).toString (true),
               "http://example.test/d8/version.txt?nocache=7");
    EXPECT_TRUE (UpdateCheck::makeDocumentAddress ("  ", 7).isEmpty());
}

TEST (UpdateCheckAddress, EnvironmentThenSettingsThenTheMakersServer)
{
    TempDir user{"dravin8-update-settings"};
    const ScopedEnvironment unset (UpdateCheck::environmentVariable, nullptr);

    EXPECT_EQ (UpdateCheck::findServerAddress (user.getFile()), UpdateCheck::defaultServerAddress);

    user.getFile().getChildFile ("global_settings.xml")
        .replaceWithText ("<SETTINGS momentaryTransport=\"0\" updateServer=\"http://mirror.test/\"/>");
    EXPECT_EQ (UpdateCheck::findServerAddress (user.getFile()), "http://mirror.test/");

    user.getFile().getChildFile ("global_settings.xml").replaceWithText ("<SETTINGS updateServer=\"\"/>");
    EXPECT_EQ (UpdateCheck::findServerAddress (user.getFile()), ""); // switched off

    const ScopedEnvironment set (UpdateCheck::environmentVariable, "http://127.0.0.1:1/");
    EXPECT_EQ (UpdateCheck::findServerAddress (user.getFile()), "http://127.0.0.1:1/");
}

TEST (UpdateCheckFetch, ReadsTheDocumentFromTheServer)
{
    UpdateServer server (200, "2.3\nNew reverb\n");
    const auto outcome = UpdateCheck::run (server.address(), "2.2");

    EXPECT_TRUE (outcome.updateAvailable);
    EXPECT_EQ (outcome.notes, "New reverb");
    const auto requests = server.server.getRequests();
    ASSERT_EQ (requests.size(), 1u);
    EXPECT_EQ (requests[0].method, "GET");
    EXPECT_EQ (requests[0].path, "/dravin8/version.txt");
    EXPECT_TRUE (requests[0].query.contains ("nocache=")) << requests[0].query;
}

TEST (UpdateCheckFetch, ErrorsAndSilenceAnnounceNothing)
{
    {
        // A short error text is not a version.
        UpdateServer server (404, "Not Found");
        EXPECT_FALSE (UpdateCheck::run (server.address(), "2.2").updateAvailable);
    }

    // Nobody listening: a refused connection.
    juce::StreamingSocket closed;
    closed.createListener (0, "127.0.0.1");
    const auto port = closed.getBoundPort();
    closed.close();
    EXPECT_EQ (UpdateCheck::fetch (juce::URL ("http://127.0.0.1:" + juce::String (port) + "/version.txt"), 2000), "");
}

TEST (UpdateCheckFetch, ReadsNoMoreThanTheCap)
{
    UpdateServer server (200, "2.3\n" + juce::String::repeatedString ("x", 100000));
    const auto text = UpdateCheck::fetch (UpdateCheck::makeDocumentAddress (server.address(), 1), 5000, 1000);

    EXPECT_EQ (text.length(), 1000);
    EXPECT_TRUE (text.startsWith ("2.3\n"));
}

TEST (UpdateCheckProcessor, NotesReachALivingProcessorOnly)
{
    TempDir sandbox{"dravin8-update-processor"};
    const Platform::ScopedFolderOverride folders (sandbox / "user", sandbox / "music");
    UpdateServer server (200, "2.4\n\nFaster tape\n");
    const ScopedEnvironment address (UpdateCheck::environmentVariable, server.address().toRawUTF8());

    {
        TavrelDelayAudioProcessor processor;
        ASSERT_TRUE (ShellTest::runMessagesUntil ([&] { return processor.updateAvailable.load(); }, 10000));
        EXPECT_EQ (processor.updateNotes, "New in this version:\n\nFaster tape");
    }

    // Deleted before the answer arrives: the posted result finds no processor.
    {
        auto processor = std::make_unique<TavrelDelayAudioProcessor>();
        processor.reset();
    }
    ShellTest::runMessages (500);
}
