#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <vector>

#include <sys/socket.h>

/** A tiny HTTP/1.1 server on 127.0.0.1 (a free port) serving responses held in memory, one
    connection at a time, for the tests of network code. It never contacts anything, reads
    and waits only in bounded steps, and stops by itself after its lifetime at the latest. */
class LoopbackHttpServer : private juce::Thread
{
public:
    struct Response
    {
        int status = 200;
        juce::MemoryBlock body;
        juce::String contentType = "application/octet-stream";
        int bytesToSend = -1;      // fewer than the body: the announced length is not met (a cut-off)
        int stallMs = 0;           // wait after the headers before sending the body
        bool announceLength = true;
    };

    struct Request
    {
        juce::String method, path, query, headers;
        juce::MemoryBlock body;
    };

    explicit LoopbackHttpServer (int lifetimeMs = 60000)
        : juce::Thread ("Loopback HTTP"), lifetime (lifetimeMs)
    {
        if (listener.createListener (0, "127.0.0.1"))
            startThread();
    }

    ~LoopbackHttpServer() override
    {
        stopThread (5000); // each wait inside is short and watches for the exit signal
        listener.close();
    }

    bool isListening() const { return listener.isConnected() && listener.getBoundPort() > 0; }
    int getPort() const { return listener.getBoundPort(); }

    /** The server's base address, ending in "/". */
    juce::String getAddress() const { return "http://127.0.0.1:" + juce::String (getPort()) + "/"; }

    void serve (const juce::String& path, Response response)
    {
        const juce::ScopedLock sl (lock);
        routes[normalise (path)] = std::move (response);
    }

    void serve (const juce::String& path, const juce::MemoryBlock& body, const juce::String& contentType = "application/octet-stream")
    {
        Response r;
        r.body = body;
        r.contentType = contentType;
        serve (path, std::move (r));
    }

    void serveText (const juce::String& path, const juce::String& text, const juce::String& contentType = "application/json")
    {
        serve (path, juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()), contentType);
    }

    std::vector<Request> getRequests() const
    {
        const juce::ScopedLock sl (lock);
        return requests;
    }

    int countRequests (const juce::String& path) const
    {
        const juce::ScopedLock sl (lock);
        int n = 0;
        for (auto& r : requests)
            n += r.path == normalise (path) ? 1 : 0;
        return n;
    }

private:
    static juce::String normalise (const juce::String& path) { return path.startsWithChar ('/') ? path : "/" + path; }

    void run() override
    {
        const auto endTime = juce::Time::getMillisecondCounter() + (juce::uint32) lifetime;

        while (! threadShouldExit() && juce::Time::getMillisecondCounter() < endTime)
        {
            if (listener.waitUntilReady (true, 100) != 1 || threadShouldExit())
                continue;

            if (std::unique_ptr<juce::StreamingSocket> client { listener.waitForNextConnection() })
                handle (*client);
        }
    }

    bool readSome (juce::StreamingSocket& client, juce::MemoryBlock& into, int timeoutMs)
    {
        if (client.waitUntilReady (true, timeoutMs) != 1)
            return false;

        char buffer[8192];
        const auto got = client.read (buffer, (int) sizeof (buffer), false);

        if (got <= 0)
            return false;

        into.append (buffer, (size_t) got);
        return true;
    }

    /** A write that fails, rather than killing the process with SIGPIPE, when the client has
        gone (as a client that refuses an answer over its size cap does). */
    static int send (juce::StreamingSocket& client, const void* data, size_t size)
    {
        return (int) ::send (client.getRawSocketHandle(), data, size, MSG_NOSIGNAL);
    }

    void handle (juce::StreamingSocket& client)
    {
        // Headers, then as much body as Content-Length says; at most 64 MB, 50 reads without data.
        juce::MemoryBlock data;
        int headerEnd = -1;

        for (int idle = 0; headerEnd < 0 && idle < 50 && data.getSize() < 65536 && ! threadShouldExit();)
        {
            if (! readSome (client, data, 100))
                ++idle;

            headerEnd = data.toString().indexOf ("\r\n\r\n");
        }

        if (headerEnd < 0)
            return;

        Request request;
        request.headers = juce::String::fromUTF8 ((const char*) data.getData(), headerEnd);
        const auto firstLine = request.headers.upToFirstOccurrenceOf ("\r\n", false, false);
        request.method = firstLine.upToFirstOccurrenceOf (" ", false, false);
        const auto target = firstLine.fromFirstOccurrenceOf (" ", false, false).upToFirstOccurrenceOf (" ", false, false);
        request.path = target.upToFirstOccurrenceOf ("?", false, false);
        request.query = target.fromFirstOccurrenceOf ("?", false, false);

        juce::int64 contentLength = 0;
        for (auto& line : juce::StringArray::fromLines (request.headers))
            if (line.startsWithIgnoreCase ("Content-Length:"))
                contentLength = line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();

        const auto bodyStart = (size_t) headerEnd + 4;
        contentLength = juce::jlimit<juce::int64> (0, 64 << 20, contentLength);

        for (int idle = 0; (juce::int64) (data.getSize() - bodyStart) < contentLength && idle < 50 && ! threadShouldExit();)
            if (! readSome (client, data, 100))
                ++idle;

        request.body = juce::MemoryBlock (juce::addBytesToPointer (data.getData(), bodyStart), data.getSize() - bodyStart);

        Response response;
        bool found = false;

        {
            const juce::ScopedLock sl (lock);
            requests.push_back (request);

            if (auto it = routes.find (request.path); it != routes.end())
            {
                response = it->second;
                found = true;
            }
        }

        if (! found)
        {
            response.status = 404;
            const juce::String page ("<html><body>Not Found</body></html>");
            response.body = juce::MemoryBlock (page.toRawUTF8(), page.getNumBytesAsUTF8());
            response.contentType = "text/html";
        }

        juce::String head;
        head << "HTTP/1.1 " << response.status << (response.status == 200 ? " OK" : " Status") << "\r\n"
             << "Content-Type: " << response.contentType << "\r\n";
        if (response.announceLength)
            head << "Content-Length: " << (int) response.body.getSize() << "\r\n";
        head << "Connection: close\r\n\r\n";

        send (client, head.toRawUTF8(), head.getNumBytesAsUTF8());

        for (int waited = 0; waited < response.stallMs && ! threadShouldExit(); waited += 20)
            juce::Thread::sleep (20);

        const auto toSend = response.bytesToSend >= 0 ? juce::jmin ((size_t) response.bytesToSend, response.body.getSize())
                                                      : response.body.getSize();

        for (size_t sent = 0; sent < toSend && ! threadShouldExit();)
        {
            const auto chunk = (int) juce::jmin ((size_t) 65536, toSend - sent);
            const auto written = send (client, juce::addBytesToPointer (response.body.getData(), sent), (size_t) chunk);
            if (written <= 0)
                break;
            sent += (size_t) written;
        }

        client.close();
    }

    juce::StreamingSocket listener;
    const int lifetime;
    juce::CriticalSection lock;
    std::map<juce::String, Response> routes;
    std::vector<Request> requests;
};
