#include "lounge/LoungeWorkerThread.h"

#include "lounge/LoungeFetch.h"
#include "lounge/LoungeIds.h"
#include "lounge/LoungeLibrary.h"

LoungeWorkerThread::LoungeWorkerThread()
    : juce::Thread ("Lounge Worker")
{
    addListener (this);
}

LoungeWorkerThread::~LoungeWorkerThread()
{
    // The owner stops the thread first; this is the safety net for one that did not.
    stopThread (2000);
    removeListener (this);
}

void LoungeWorkerThread::setServerAddress (const juce::String& address)
{
    const juce::ScopedLock sl (lock);
    serverAddress = LoungeLibrary::normaliseServerAddress (address);
}

void LoungeWorkerThread::setUserName (const juce::String& name)
{
    const juce::ScopedLock sl (lock);
    currentUserName = name;
}

void LoungeWorkerThread::requestHeartbeat (const juce::String& name, const juce::String& platform)
{
    {
        const juce::ScopedLock sl (lock);
        heartbeatUserName = name;
        heartbeatPlatform = platform;
        heartbeatPending = true; // last, once the request is complete
    }

    notify();
}

void LoungeWorkerThread::startUpload (const juce::String& filePath, const juce::String& userName, const juce::String& title,
                                      int durationSeconds, UploadCompletion completion)
{
    {
        const juce::ScopedLock sl (lock);
        uploadFile = filePath;
        uploadUserName = userName;
        uploadTitle = title;
        uploadDurationSeconds = durationSeconds;
        uploadCompletion = std::move (completion);
        uploadPending = true;
    }

    notify();
}

std::vector<std::pair<juce::String, juce::String>> LoungeWorkerThread::getOnlineUsers() const
{
    const juce::ScopedLock sl (lock);
    return onlineUsers;
}

void LoungeWorkerThread::run()
{
    while (! threadShouldExit())
    {
        wait (-1);

        // Both can wait at once; each is taken (flag cleared) before it is sent.
        while (! threadShouldExit())
        {
            bool heartbeat, upload;

            {
                const juce::ScopedLock sl (lock);
                heartbeat = heartbeatPending;
                upload = uploadPending;
            }

            if (upload)
                sendUpload();
            else if (heartbeat)
                sendHeartbeat();
            else
                break;
        }
    }
}

void LoungeWorkerThread::exitSignalSent()
{
    const juce::ScopedLock sl (fetchLock);

    if (runningFetch != nullptr)
        runningFetch->cancel();
}

juce::String LoungeWorkerThread::exchange (const juce::URL& url, juce::int64 totalTimeoutMs, bool& ok, juce::String& problem)
{
    LoungeFetch::Limits limits;
    limits.connectTimeoutMs = connectTimeoutMs;
    limits.totalTimeoutMs = (int) totalTimeoutMs;
    limits.maxBytes = maxAnswerBytes;

    LoungeFetch fetch (url, true, limits);

    {
        const juce::ScopedLock sl (fetchLock);

        if (threadShouldExit())
            fetch.cancel();

        runningFetch = &fetch;
    }

    juce::MemoryOutputStream body;
    const auto result = fetch.readInto (body);

    {
        const juce::ScopedLock sl (fetchLock);
        runningFetch = nullptr;
    }

    ok = result.ok();
    problem = result.describe();
    return ok ? body.toUTF8() : juce::String();
}

void LoungeWorkerThread::sendHeartbeat()
{
    juce::String base, name, platform;

    {
        const juce::ScopedLock sl (lock);
        heartbeatPending = false;
        base = serverAddress;
        name = heartbeatUserName;
        platform = heartbeatPlatform;
    }

    if (base.isEmpty())
        return;

    const auto url = juce::URL (base + LoungeIds::heartbeatRequest)
                         .withParameter (LoungeIds::userNameKey, name)
                         .withParameter (LoungeIds::platformKey, platform);

    bool ok = false;
    juce::String problem;
    const auto answer = juce::JSON::parse (exchange (url, heartbeatTimeoutMs, ok, problem));

    // A failed heartbeat keeps the last list: the room should not flicker empty on a hiccup.
    auto* users = answer[LoungeIds::usersKey].getArray();

    if (! ok || users == nullptr)
        return;

    std::vector<std::pair<juce::String, juce::String>> present;

    for (const auto& user : *users)
        present.emplace_back (user[LoungeIds::userNameKey].toString(), user[LoungeIds::detailKey].toString());

    const juce::ScopedLock sl (lock);
    onlineUsers = std::move (present);
}

void LoungeWorkerThread::sendUpload()
{
    juce::String base, path, user, title;
    int duration = 0;
    UploadCompletion completion;

    {
        const juce::ScopedLock sl (lock);
        uploadPending = false;
        base = serverAddress;
        path = uploadFile;
        user = uploadUserName;
        title = uploadTitle;
        duration = uploadDurationSeconds;
        completion = std::move (uploadCompletion);
        uploadCompletion = nullptr;
    }

    bool success = false;
    juce::String message;
    const juce::File file (juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File());

    if (base.isEmpty())
    {
        message = "No Lounge server is set.";
    }
    else if (! file.existsAsFile())
    {
        message = "The mixdown file could not be found.";
    }
    else if (file.getSize() > maxUploadBytes)
    {
        message = "The mixdown is too large to share (over " + juce::String (maxUploadBytes >> 20) + " MB).";
    }
    else
    {
        const auto url = juce::URL (base + LoungeIds::uploadRequest)
                             .withParameter (LoungeIds::userNameKey, user)
                             .withParameter (LoungeIds::titleKey, title)
                             .withParameter (LoungeIds::durationKey, juce::String (duration))
                             .withFileToUpload (LoungeIds::audioFileKey, file, "application/octet-stream");

        bool ok = false;
        juce::String problem;
        const auto answer = juce::JSON::parse (exchange (url, uploadTimeoutMs, ok, problem));

        if (! ok)
        {
            message = problem;
        }
        else
        {
            success = (bool) answer[LoungeIds::okKey];
            message = answer[LoungeIds::messageKey].toString();

            if (message.isEmpty())
                message = success ? "Your tape is in the Lounge." : "The server did not accept the tape.";
        }
    }

    if (completion != nullptr)
        juce::MessageManager::callAsync ([completion, success, message] { completion (success, message); });
}
