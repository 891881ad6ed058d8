#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/UpdateCheck.h"
#include "platform/Platform.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TempDir.h"

#include <cstdlib>

namespace
{
/** A one-document HTTP server on the loopback interface, answering every request with the
    same status and body, and remembering the last request line. */
class LoopbackServer : private juce::Thread
{
public:
    LoopbackServer (int status, juce::String body) : juce::Thread ("Loopback update server"), statusCode (status)
    {
        responseBody = std::move (body);
        listener.createListener (0, "127.0.0.1");
        startThread();
    }

    ~LoopbackServer() override
    {
        signalThreadShouldExit();
        listener.close();
        stopThread (3000);
    }

    juce::String address() const { return "http://127.0.0.1:" + juce::String (listener.getBoundPort()) + "/dravin8/"; }

    juce::String lastRequestLine() const
    {
        const juce::ScopedLock sl (lock);
        return requestLine;
    }

private:
    void run() override
    {
        while (! threadShouldExit())
        {
            std::unique_ptr<juce::StreamingSocket> client (listener.waitForNextConnection());
            if (client == nullptr)
                continue;

            juce::String request;
            char buffer[1024];
            while (! request.contains ("\r\n\r\n") && client->waitUntilReady (true, 2000) == 1)
            {
                const auto got = client->read (buffer, sizeof (buffer), false);
                if (got <= 0)
                    break;
                request += juce::String::fromUTF8 (buffer, got);
            }

            {
                const juce::ScopedLock sl (lock);
                requestLine = request.upToFirstOccurrenceOf ("\r\n", false, false);
            }

            const auto bytes = responseBody.toStdString();
            const auto header = "HTTP/1.1 " + juce::String (statusCode) + " X\r\nContent-Type: text/plain\r\n"
                                + "Content-Length: " + juce::String ((int)bytes.size())
                                + "\r\nConnection: close\r\n\r\n";
            client->write (header.toRawUTF8(), (int)header.getNumBytesAsUTF8());
            client->write (bytes.data(), (int)bytes.size());
        }
    }

    juce::StreamingSocket listener;
    const int statusCode;
    juce::String responseBody;
    juce::CriticalSection lock;
    juce::String requestLine;
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
    LoopbackServer server (200, "2.3\nNew reverb\n");
    const auto outcome = UpdateCheck::run (server.address(), "2.2");

    EXPECT_TRUE (outcome.updateAvailable);
    EXPECT_EQ (outcome.notes, "New reverb");
    EXPECT_TRUE (server.lastRequestLine().startsWith ("GET /dravin8/version.txt?nocache=")) << server.lastRequestLine();
}

TEST (UpdateCheckFetch, ErrorsAndSilenceAnnounceNothing)
{
    {
        // A short error text is not a version.
        LoopbackServer server (404, "Not Found");
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
    LoopbackServer server (200, "2.3\n" + juce::String::repeatedString ("x", 100000));
    const auto text = UpdateCheck::fetch (UpdateCheck::makeDocumentAddress (server.address(), 1), 5000, 1000);

    EXPECT_EQ (text.length(), 1000);
    EXPECT_TRUE (text.startsWith ("2.3\n"));
}

TEST (UpdateCheckProcessor, NotesReachALivingProcessorOnly)
{
    TempDir sandbox{"dravin8-update-processor"};
    const Platform::ScopedFolderOverride folders (sandbox / "user", sandbox / "music");
    LoopbackServer server (200, "2.4\n\nFaster tape\n");
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
