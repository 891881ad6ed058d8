#pragma once

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <utility>
#include <vector>

class LoungeFetch;

/** The room's background thread: it announces the user to the server (heartbeats), keeps
    the list of users present, and uploads mixdowns. The message thread writes requests into
    it under its lock and wakes it; every network exchange is bounded (LoungeFetch) and a stop
    request cancels the one running, so the thread ends well within stopThread's 2000 ms. */
class LoungeWorkerThread : public juce::Thread,
                           private juce::Thread::Listener
{
public:
    using UploadCompletion = std::function<void (bool success, juce::String message)>;

    LoungeWorkerThread();
    ~LoungeWorkerThread() override;

    /** The base address of the server; empty means none (requests then fail at once). */
    void setServerAddress (const juce::String& address);

    void setUserName (const juce::String& name);

    /** Queues a heartbeat announcing name and platform, and wakes the thread. */
    void requestHeartbeat (const juce::String& name, const juce::String& platform);

    /** Queues an upload of the file, replacing one that waits, and wakes the thread.
        completion runs once on the message thread when the upload has ended. */
    void startUpload (const juce::String& filePath, const juce::String& userName, const juce::String& title,
                      int durationSeconds, UploadCompletion completion);

    /** The users present as the last heartbeat answer named them: (name, detail). */
    std::vector<std::pair<juce::String, juce::String>> getOnlineUsers() const;

    // Shared with the message thread; every access holds lock.
    juce::String currentUserName;
    juce::CriticalSection lock;
    std::vector<std::pair<juce::String, juce::String>> onlineUsers;
    bool heartbeatPending = false;
    bool uploadPending = false;
    juce::String heartbeatUserName;
    juce::String heartbeatPlatform;
    juce::String uploadFile;
    juce::String uploadUserName;
    juce::String uploadTitle;
    int uploadDurationSeconds = 0;
    UploadCompletion uploadCompletion;

    /** Limits of the exchanges. An upload answer comes after the whole file went up. */
    static constexpr int connectTimeoutMs = 15000;
    static constexpr int heartbeatTimeoutMs = 20000;
    static constexpr int uploadTimeoutMs = 15 * 60 * 1000;
    static constexpr juce::int64 maxAnswerBytes = 256 * 1024;
    static constexpr juce::int64 maxUploadBytes = juce::int64 (512) << 20;

private:
    void run() override;
    void exitSignalSent() override;

    void sendHeartbeat();
    void sendUpload();
    juce::String exchange (const juce::URL& url, juce::int64 totalTimeoutMs, bool& ok, juce::String& problem);

    juce::String serverAddress;              // under lock
    juce::CriticalSection fetchLock;
    LoungeFetch* runningFetch = nullptr;     // under fetchLock

    JUCE_DECLARE_NON_COPYABLE (LoungeWorkerThread)
};
