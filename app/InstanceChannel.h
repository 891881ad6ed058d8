#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

/** The single-instance rule: the first instance listens on a Unix socket in the per-user folder
    (private to the user), and a second start hands its command line to it there and ends. JUCE's
    own hand-over message never arrives on Linux, so the program uses this channel instead.

    One instance per per-user folder: a run with DRAVIN8_USER_FOLDER elsewhere is a separate
    instance. */
class InstanceChannel
{
public:
    /** What a second start hands over: its command line and the folder it was started in, so
        that a relative path names the file the user meant. */
    struct Message
    {
        juce::String commandLine;
        juce::File workingDirectory;
    };

    enum class Outcome
    {
        becameFirst, // this process listens now
        handedOver,  // a running instance took the message; this process should end
        unavailable  // neither worked (no usable socket): run without the rule
    };

    /** The socket of the application name in the folder; a short path in the system's temp
        folder (private to the user) when that path is too long for a socket address. */
    static juce::File socketFileFor (const juce::File& userFolder, const juce::String& applicationName);

    explicit InstanceChannel (juce::File socketFile);

    /** Stops listening and removes the socket this instance made. */
    ~InstanceChannel();

    /** Holding a lock file beside the socket: when an instance listens there, hands it
        ownMessage and returns handedOver; otherwise listens from now on, passing every message
        that arrives to onMessage on the message thread (never after this object is gone). */
    Outcome claim (const Message& ownMessage, std::function<void (const Message&)> onMessage);

    /** Hands a message to the instance listening at socketFile; true when it confirmed it. */
    static bool send (const juce::File& socketFile, const Message& message, int timeoutMs = 3000);

    bool isListening() const noexcept { return listener != nullptr; }
    const juce::File& getSocketFile() const noexcept { return socketFile; }

    /** The largest command line accepted (a path, or a URL of one). */
    static constexpr int maxMessageBytes = 64 * 1024;

private:
    class Listener;

    enum class Delivery
    {
        nobodyListening,
        delivered,
        notConfirmed
    };

    static Delivery deliver (const juce::File& socketFile, const Message& message, int timeoutMs);

    bool startListening (std::function<void (const Message&)> onMessage);

    const juce::File socketFile;
    std::unique_ptr<Listener> listener;

    JUCE_DECLARE_NON_COPYABLE (InstanceChannel)
};
