// The shared library's JSON and the bounded network reads under it, against a loopback server.

#include "lounge/LoungeFetch.h"
#include "lounge/LoungeIds.h"
#include "lounge/LoungeLibrary.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

namespace
{
struct ParseCase
{
    const char* name;
    const char* json;
    std::vector<LoungeTape> expected;
};

std::string describe (const std::vector<LoungeTape>& tapes)
{
    juce::String text;
    for (auto& t : tapes)
        text << "[" << t.userName << "|" << t.trackName << "|" << t.filePath << "|" << t.durationSeconds << "]";
    return text.toStdString();
}
} // namespace

TEST (LoungeLibrary, ParsesTheTapesAndGivesAnEmptyListForAnythingElse)
{
    const ParseCase cases[] = {
        { "two tapes in order",
          R"({"tapes":[{"username":"ann","track_name":"Song A","file_path":"uploads/a.ogg","duration_seconds":187},
                       {"username":"bo","track_name":"Song B","file_path":"uploads/b b.ogg","duration_seconds":65}]})",
          { { "ann", "Song A", "uploads/a.ogg", 187 }, { "bo", "Song B", "uploads/b b.ogg", 65 } } },
        { "fraction gives its integer part", R"({"tapes":[{"duration_seconds":187.9}]})", { { "", "", "", 187 } } },
        { "missing keys give empty texts and 0", R"({"tapes":[{"track_name":"Only"}]})", { { "", "Only", "", 0 } } },
        { "an element that is no object still makes a tape", R"({"tapes":[42]})", { { "", "", "", 0 } } },
        { "empty tapes", R"({"tapes":[]})", {} },
        { "tapes a string", R"({"tapes":"none"})", {} },
        { "tapes a number", R"({"tapes":3})", {} },
        { "no tapes property", R"({"songs":[{"username":"x"}]})", {} },
        { "top level an array", R"([{"tapes":[]}])", {} },
        { "not JSON", "<html>502 Bad Gateway</html>", {} },
        { "empty text", "", {} },
    };

    for (const auto& c : cases)
        EXPECT_EQ (describe (LoungeLibrary::parse (c.json)), describe (c.expected)) << c.name;
}

TEST (LoungeLibrary, FetchesFromTheServerAtTheAddressGiven)
{
    LoopbackHttpServer server;
    ASSERT_TRUE (server.isListening());
    server.serveText (LoungeIds::libraryRequest, R"({"tapes":[{"username":"ann","track_name":"Song A","file_path":"a.ogg","duration_seconds":3}]})");

    // With and without the final "/" of the base address.
    for (auto address : { server.getAddress(), server.getAddress().dropLastCharacters (1) })
    {
        const auto tapes = fetchLoungeLibrary (address);
        ASSERT_EQ (tapes.size(), 1u) << address;
        EXPECT_EQ (tapes[0].trackName, "Song A");
    }

    const auto requests = server.getRequests();
    ASSERT_EQ (requests.size(), 2u);
    EXPECT_EQ (requests[0].method, "GET");
    EXPECT_TRUE (requests[0].headers.containsIgnoreCase ("Connection: close"));

    EXPECT_TRUE (fetchLoungeLibrary ({}).empty()) << "no server set: nothing is asked";
    EXPECT_EQ (server.getRequests().size(), 2u);
}

TEST (LoungeLibrary, AnErrorPageOrAnAnswerOverTheCapGivesAnEmptyList)
{
    LoopbackHttpServer server;
    ASSERT_TRUE (server.isListening());

    LoopbackHttpServer::Response errorPage;
    errorPage.status = 500;
    const juce::String body (R"({"tapes":[{"track_name":"from an error page"}]})");
    errorPage.body = juce::MemoryBlock (body.toRawUTF8(), body.getNumBytesAsUTF8());
    server.serve (LoungeIds::libraryRequest, errorPage);
    EXPECT_TRUE (fetchLoungeLibrary (server.getAddress()).empty());

    // A valid library just over the cap, with and without an announced length.
    juce::String huge ("{\"tapes\":[{\"track_name\":\"");
    huge << juce::String::repeatedString ("x", (int) LoungeLibrary::maxBytes) << "\"}]}";

    for (auto announce : { true, false })
    {
        LoopbackHttpServer::Response tooLarge;
        tooLarge.body = juce::MemoryBlock (huge.toRawUTF8(), huge.getNumBytesAsUTF8());
        tooLarge.announceLength = announce;
        server.serve (LoungeIds::libraryRequest, tooLarge);
        EXPECT_TRUE (fetchLoungeLibrary (server.getAddress()).empty()) << "announced: " << announce;
    }
}

TEST (LoungeFetch, EveryReadIsCappedTimedAndCheckedForCompleteness)
{
    LoopbackHttpServer server;
    ASSERT_TRUE (server.isListening());

    juce::MemoryBlock body (5000);
    body.fillWith (0x5a);

    const auto respond = [&] (const char* path, int bytesToSend, int stallMs, bool announce = true)
    {
        LoopbackHttpServer::Response r;
        r.body = body;
        r.bytesToSend = bytesToSend;
        r.stallMs = stallMs;
        r.announceLength = announce;
        server.serve (path, r);
    };

    respond ("whole", -1, 0);
    respond ("cut", 3000, 0);
    respond ("stalled", -1, 6000);
    respond ("unannounced", -1, 0, false);

    LoungeFetch::Limits limits;
    limits.connectTimeoutMs = 1000;
    limits.totalTimeoutMs = 3000;
    limits.maxBytes = 5000;

    struct Case
    {
        const char* path;
        juce::int64 maxBytes;
        bool ok;
    };

    const Case cases[] = {
        { "whole", 5000, true },
        { "unannounced", 5000, true },
        { "whole", 4999, false },       // over the cap, announced
        { "unannounced", 4999, false }, // over the cap, found while reading
        { "cut", 5000, false },         // fewer bytes than announced
        { "missing", 5000, false },     // 404 page
    };

    for (const auto& c : cases)
    {
        limits.maxBytes = c.maxBytes;
        juce::MemoryOutputStream out;
        const auto result = LoungeFetch (juce::URL (server.getAddress() + c.path), false, limits).readInto (out);
        EXPECT_EQ (result.ok(), c.ok) << c.path << " " << c.maxBytes << " " << result.describe();
        EXPECT_EQ (result.ok() ? 5000 : -1, c.ok ? (int) out.getDataSize() : -1) << c.path;
    }

    // A server that goes quiet after its headers is given up on within the limits.
    limits.maxBytes = 5000;
    const auto started = juce::Time::getMillisecondCounterHiRes();
    juce::MemoryOutputStream out;
    const auto stalled = LoungeFetch (juce::URL (server.getAddress() + "stalled"), false, limits).readInto (out);
    const auto took = juce::Time::getMillisecondCounterHiRes() - started;
    EXPECT_FALSE (stalled.ok());
    EXPECT_LT (took, 5000.0);

    // Nobody listening on a port: no connection, at once.
    int port = 0;
    {
        const LoopbackHttpServer gone;
        port = gone.getPort();
    }

    juce::MemoryOutputStream nothing;
    EXPECT_EQ ((int) LoungeFetch (juce::URL ("http://127.0.0.1:" + juce::String (port) + "/x"), false, limits).readInto (nothing).outcome,
               (int) LoungeFetch::Outcome::noConnection);
}
