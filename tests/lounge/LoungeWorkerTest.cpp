// The room's worker: waiting requests, heartbeats with the list of users present, uploads,
// and a stop that does not wait for a stalled server.

#include "lounge/LoungeIds.h"
#include "lounge/LoungeWorkerThread.h"
#include "tests/lounge/LoungeTestFiles.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST (LoungeWorker, AWaitingRequestKeepsWhatItWasGivenAndALaterUploadReplacesIt)
{
    LoungeWorkerThread worker; // not started: requests only wait
    int firstCalls = 0;

    worker.requestHeartbeat ("Ann", "Mac");
    worker.setUserName ("Bea");
    worker.startUpload ("/tmp/one.wav", "Ann", "One", 10, [&firstCalls] (bool, juce::String) { ++firstCalls; });
    worker.startUpload ("/tmp/two.wav", "Cy", "Two", 20, {});

    const juce::ScopedLock sl (worker.lock);
    EXPECT_EQ (worker.currentUserName, "Bea");
    EXPECT_EQ (worker.heartbeatUserName, "Ann");
    EXPECT_TRUE (worker.heartbeatPending);
    EXPECT_TRUE (worker.uploadPending);
    EXPECT_EQ (worker.uploadFile, "/tmp/two.wav");
    EXPECT_EQ (worker.uploadUserName, "Cy");
    EXPECT_EQ (worker.uploadTitle, "Two");
    EXPECT_EQ (worker.uploadDurationSeconds, 20);
    EXPECT_FALSE ((bool) worker.uploadCompletion);
    EXPECT_EQ (firstCalls, 0);
}

TEST (LoungeWorker, AHeartbeatAnnouncesTheUserAndTakesTheUsersPresent)
{
    LoopbackHttpServer server;
    ASSERT_TRUE (server.isListening());
    server.serveText (LoungeIds::heartbeatRequest, R"({"users":[{"username":"Ann","detail":"Mac"},{"username":"Bo","detail":"Linux"}]})");

    LoungeWorkerThread worker;
    worker.setServerAddress (server.getAddress());
    worker.startThread();
    worker.requestHeartbeat ("Guest", "Mac");

    ASSERT_TRUE (LoungeTestFiles::pumpUntil ([&] { return worker.getOnlineUsers().size() == 2; }));
    EXPECT_EQ (worker.getOnlineUsers()[1], std::make_pair (juce::String ("Bo"), juce::String ("Linux")));

    const auto request = server.getRequests().front();
    EXPECT_EQ (request.method, "POST");
    const auto form = request.body.toString();
    EXPECT_TRUE (form.contains ("username=Guest")) << form;
    EXPECT_TRUE (form.contains ("platform=Mac")) << form;

    // A failed heartbeat keeps the list rather than emptying the room.
    server.serveText (LoungeIds::heartbeatRequest, "not json");
    worker.requestHeartbeat ("Guest", "Mac");
    ASSERT_TRUE (LoungeTestFiles::pumpUntil ([&] { return server.countRequests (LoungeIds::heartbeatRequest) == 2; }));
    juce::Thread::sleep (200);
    EXPECT_EQ (worker.getOnlineUsers().size(), 2u);

    EXPECT_TRUE (worker.stopThread (2000));
}

TEST (LoungeWorker, AnUploadSendsTheFileAndReportsOnceOnTheMessageThread)
{
    LoopbackHttpServer server;
    ASSERT_TRUE (server.isListening());
    const TempDir folder;
    const auto mixdown = folder / "mix.wav";
    ASSERT_TRUE (LoungeTestFiles::writeWav (mixdown, 4800, 0.25f, 16));

    LoungeWorkerThread worker;
    worker.setServerAddress (server.getAddress());
    worker.startThread();

    struct Outcome
    {
        int calls = 0;
        bool success = false, onMessageThread = false;
        juce::String message;
    };

    const auto upload = [&] (const juce::File& file, Outcome& outcome)
    {
        worker.startUpload (file.getFullPathName(), "Ann", "Ann - Song", 7, [&outcome] (bool success, juce::String message)
        {
            ++outcome.calls;
            outcome.success = success;
            outcome.message = message;
            outcome.onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        });
        LoungeTestFiles::pumpUntil ([&] { return outcome.calls > 0; });
        LoungeTestFiles::pumpUntil ([] { return false; }, 100); // no second call
    };

    server.serveText (LoungeIds::uploadRequest, R"({"ok":true,"message":"Thanks, Ann!"})");
    Outcome accepted;
    upload (mixdown, accepted);
    EXPECT_EQ (accepted.calls, 1);
    EXPECT_TRUE (accepted.success);
    EXPECT_TRUE (accepted.onMessageThread);
    EXPECT_EQ (accepted.message, "Thanks, Ann!");

    const auto sent = server.getRequests().back();
    const auto body = sent.body.toString();
    EXPECT_EQ (sent.path, "/" + juce::String (LoungeIds::uploadRequest));
    EXPECT_TRUE (sent.headers.containsIgnoreCase ("multipart/form-data"));
    for (auto part : { "Ann - Song", "name=\"duration_seconds\"", "name=\"username\"", "filename=\"mix.wav\"" })
        EXPECT_TRUE (body.contains (part)) << part;
    EXPECT_GE (sent.body.getSize(), (size_t) mixdown.getSize());

    // Refused by the server, and a file that is not there: failures with a message.
    server.serveText (LoungeIds::uploadRequest, R"({"ok":false,"message":"Full up."})");
    Outcome refused;
    upload (mixdown, refused);
    EXPECT_EQ (refused.calls, 1);
    EXPECT_FALSE (refused.success);
    EXPECT_EQ (refused.message, "Full up.");

    Outcome missing;
    upload (folder / "gone.wav", missing);
    EXPECT_EQ (missing.calls, 1);
    EXPECT_FALSE (missing.success);
    EXPECT_TRUE (missing.message.isNotEmpty());

    EXPECT_TRUE (worker.stopThread (2000));
}

TEST (LoungeWorker, StopsWithinTwoSecondsWhileTheServerStalls)
{
    LoopbackHttpServer server;
    ASSERT_TRUE (server.isListening());
    LoopbackHttpServer::Response stalled;
    stalled.stallMs = 20000;
    server.serve (LoungeIds::heartbeatRequest, stalled);

    LoungeWorkerThread worker;
    worker.setServerAddress (server.getAddress());
    worker.startThread();
    worker.requestHeartbeat ("Guest", "Mac");
    ASSERT_TRUE (LoungeTestFiles::pumpUntil ([&] { return server.countRequests (LoungeIds::heartbeatRequest) == 1; }));

    const auto started = juce::Time::getMillisecondCounterHiRes();
    EXPECT_TRUE (worker.stopThread (2000));
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 2000.0);
}
