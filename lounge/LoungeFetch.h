#pragma once

#include <juce_core/juce_core.h>

/** One HTTP request of the sharing room, read with a size cap and time-outs so that no
    server, however slow, broken or hostile, can hang a thread or fill the memory or disk.

    The body counts as received only when the status is 2xx, the transfer ended without a
    network error and, when the server announced a length, exactly that many bytes came. */
class LoungeFetch
{
public:
    struct Limits
    {
        int connectTimeoutMs = 15000; // also the longest stall once connected
        int totalTimeoutMs = 60000;   // the whole exchange, connecting included
        juce::int64 maxBytes = 1 << 20;
    };

    enum class Outcome
    {
        complete,
        noConnection,
        httpError,
        tooLarge,
        timedOut,
        truncated,
        writeFailed,
        cancelled
    };

    struct Result
    {
        Outcome outcome = Outcome::noConnection;
        int statusCode = 0;
        juce::int64 bytes = 0;

        bool ok() const noexcept { return outcome == Outcome::complete; }
        juce::String describe() const;
    };

    /** A GET (or, with usePost, a POST of the address's parameters and files). */
    LoungeFetch (const juce::URL& url, bool usePost, Limits limits);
    ~LoungeFetch();

    /** Runs the request and writes the body into destination. Blocks; call it once. */
    Result readInto (juce::OutputStream& destination);

    /** Makes a running or coming readInto end soon as cancelled. Any thread. */
    void cancel();

    /** The body into file (replaced), written through a 16 KB buffer. Unless the result is
        ok(), the file is deleted again: it holds a whole answer or nothing. */
    static Result fetchToFile (const juce::URL& url, const juce::File& file, Limits limits);

    /** The body as text; empty unless the fetch completed. */
    static juce::String fetchText (const juce::URL& url, bool usePost, Limits limits, Result* result = nullptr);

private:
    juce::URL url;
    bool post;
    Limits limits;

    juce::CriticalSection streamLock;
    juce::WebInputStream* activeStream = nullptr;
    bool cancelled = false;

    JUCE_DECLARE_NON_COPYABLE (LoungeFetch)
};
