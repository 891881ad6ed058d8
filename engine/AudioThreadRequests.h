#pragma once

#include <juce_events/juce_events.h>

#include <array>
#include <atomic>
#include <functional>

/** What the audio thread asks the message thread to do, carried without a lock or an
    allocation. Posting a message (MessageManager::callAsync, AsyncUpdater) allocates and takes
    the message queue's lock on Linux, so the audio thread only counts each kind of request in
    an atomic; a timer on the message thread takes the counts and hands them to the handler.

    Made and destroyed on the message thread. */
class AudioThreadRequests : private juce::Timer
{
public:
    enum Kind
    {
        loopCut,          // the MIDI command "loop_cut"
        clickToggle,      // the MIDI command "click_toggle"
        measuredLatency,  // the latency measurement has a result
        parameterChanges, // MIDI or auto-disarm set parameters the listeners must hear of
        retiredSlots,     // slots wait to be released once their plug-in windows are closed
        numKinds
    };

    /** Called on the message thread with a kind and how many times it was asked since the
        last call (at least once). */
    using Handler = std::function<void (Kind, int count)>;

    explicit AudioThreadRequests (Handler handlerToUse);
    ~AudioThreadRequests() override;

    /** Any thread, allocation-free and lock-free. */
    void post (Kind kind) noexcept;

    /** Message thread: hands over what is pending now (the timer does this every
        pollMilliseconds). */
    void handlePending();

    static constexpr int pollMilliseconds = 10;

private:
    void timerCallback() override { handlePending(); }

    Handler handler;
    std::array<std::atomic<int>, numKinds> pending{};

    JUCE_DECLARE_NON_COPYABLE (AudioThreadRequests)
};
