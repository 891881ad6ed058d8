#include "lounge/LoungeFetch.h"

juce::String LoungeFetch::Result::describe() const
{
    switch (outcome)
    {
        case Outcome::complete:     return "complete";
        case Outcome::noConnection: return "The server could not be reached.";
        case Outcome::httpError:    return "The server answered with error " + juce::String (statusCode) + ".";
        case Outcome::tooLarge:     return "The server's answer was too large.";
        case Outcome::timedOut:     return "The server took too long to answer.";
        case Outcome::truncated:    return "The connection broke off before the answer was complete.";
        case Outcome::writeFailed:  return "The answer could not be written to disk.";
        case Outcome::cancelled:    return "The request was cancelled.";
    }

    return {};
}

LoungeFetch::LoungeFetch (const juce::URL& urlToUse, bool usePost, Limits limitsToUse)
    : url (urlToUse), post (usePost), limits (limitsToUse)
{
}

LoungeFetch::~LoungeFetch() = default;

void LoungeFetch::cancel()
{
    const juce::ScopedLock sl (streamLock);
    cancelled = true;

    if (activeStream != nullptr)
        activeStream->cancel();
}

LoungeFetch::Result LoungeFetch::readInto (juce::OutputStream& destination)
{
    Result result;
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + limits.totalTimeoutMs;
    const auto pastDeadline = [deadline] { return juce::Time::getMillisecondCounterHiRes() > deadline; };

    juce::WebInputStream stream (url, post);
    stream.withExtraHeaders ("Connection: close\r\n")
        .withConnectionTimeout (juce::jmax (1, limits.connectTimeoutMs))
        .withNumRedirectsToFollow (5);

    {
        const juce::ScopedLock sl (streamLock);

        if (cancelled)
            return { Outcome::cancelled };

        activeStream = &stream;
    }

    // The stream goes with this function: the canceller must never reach it afterwards.
    const auto finish = [this, &result] (Outcome outcome)
    {
        const juce::ScopedLock sl (streamLock);
        activeStream = nullptr;
        result.outcome = cancelled ? Outcome::cancelled : outcome;
        return result;
    };

    if (! stream.connect (nullptr) || stream.isError())
        return finish (Outcome::noConnection);

    result.statusCode = stream.getStatusCode();

    if (result.statusCode < 200 || result.statusCode > 299)
        return finish (Outcome::httpError);

    const auto announced = stream.getTotalLength();

    if (announced > limits.maxBytes)
        return finish (Outcome::tooLarge);

    juce::HeapBlock<char> chunk (16384);

    for (;;)
    {
        if (pastDeadline())
            return finish (Outcome::timedOut);

        // A stalled server ends this read within the connection time-out.
        const auto got = stream.read (chunk, 16384);

        if (got <= 0)
            break;

        if (result.bytes + got > limits.maxBytes)
            return finish (Outcome::tooLarge);

        if (! destination.write (chunk, (size_t) got))
            return finish (Outcome::writeFailed);

        result.bytes += got;
    }

    if (stream.isError())
        return finish (pastDeadline() ? Outcome::timedOut : Outcome::truncated);

    if (announced >= 0 && result.bytes != announced)
        return finish (Outcome::truncated);

    destination.flush();
    return finish (Outcome::complete);
}

LoungeFetch::Result LoungeFetch::fetchToFile (const juce::URL& url, const juce::File& file, Limits limits)
{
    Result result { Outcome::writeFailed };

    // The output stream would append to a file already there.
    if (file.deleteFile())
    {
        juce::FileOutputStream out (file, 16384);

        if (out.openedOk())
        {
            result = LoungeFetch (url, false, limits).readInto (out);
            out.flush();

            if (result.ok() && ! out.getStatus().wasOk())
                result.outcome = Outcome::writeFailed;
        }
    }

    if (! result.ok())
        file.deleteFile();

    return result;
}

juce::String LoungeFetch::fetchText (const juce::URL& url, bool usePost, Limits limits, Result* result)
{
    juce::MemoryOutputStream body;
    LoungeFetch fetch (url, usePost, limits);
    const auto outcome = fetch.readInto (body);

    if (result != nullptr)
        *result = outcome;

    return outcome.ok() ? body.toUTF8() : juce::String();
}
