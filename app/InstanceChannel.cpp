#include "app/InstanceChannel.h"

#include <juce_events/juce_events.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
//==============================================================================
// Small RAII and I/O helpers over the POSIX socket calls.

struct FileDescriptor
{
    explicit FileDescriptor (int fd = -1) : fd (fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor (FileDescriptor&& other) noexcept : fd (std::exchange (other.fd, -1)) {}
    FileDescriptor (const FileDescriptor&) = delete;
    FileDescriptor& operator= (const FileDescriptor&) = delete;

    void reset (int newFd = -1)
    {
        if (fd >= 0)
            ::close (fd);
        fd = newFd;
    }

    bool isValid() const noexcept { return fd >= 0; }
    int fd;
};

bool makeAddress (const juce::File& socketFile, sockaddr_un& address)
{
    const auto path = socketFile.getFullPathName().toStdString();
    std::memset (&address, 0, sizeof (address));
    address.sun_family = AF_UNIX;

    if (path.empty() || path.size() >= sizeof (address.sun_path))
        return false;

    std::memcpy (address.sun_path, path.data(), path.size());
    return true;
}

/** Waits until fd is ready for events or the deadline passes. */
bool waitFor (int fd, short events, juce::uint32 deadline)
{
    for (;;)
    {
        const auto now = juce::Time::getMillisecondCounter();
        if (now >= deadline)
            return false;

        pollfd p{fd, events, 0};
        const auto result = ::poll (&p, 1, (int)(deadline - now));

        if (result > 0)
            return true;

        if (result < 0 && errno != EINTR)
            return false;
    }
}

bool writeAll (int fd, const void* data, size_t size, juce::uint32 deadline)
{
    auto* bytes = static_cast<const char*> (data);

    while (size > 0)
    {
        if (! waitFor (fd, POLLOUT, deadline))
            return false;

        const auto written = ::send (fd, bytes, size, MSG_NOSIGNAL);

        if (written < 0 && (errno == EINTR || errno == EAGAIN))
            continue;

        if (written <= 0)
            return false;

        bytes += written;
        size -= (size_t)written;
    }

    return true;
}

bool readAll (int fd, void* data, size_t size, juce::uint32 deadline)
{
    auto* bytes = static_cast<char*> (data);

    while (size > 0)
    {
        if (! waitFor (fd, POLLIN, deadline))
            return false;

        const auto got = ::recv (fd, bytes, size, 0);

        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;

        if (got <= 0)
            return false;

        bytes += got;
        size -= (size_t)got;
    }

    return true;
}

constexpr char acknowledgement = 'K';

juce::MemoryBlock encode (const InstanceChannel::Message& message)
{
    juce::MemoryOutputStream payload;
    payload << message.workingDirectory.getFullPathName();
    payload.writeByte (0);
    payload << message.commandLine;
    return payload.getMemoryBlock();
}

InstanceChannel::Message decode (const juce::MemoryBlock& payload)
{
    const auto* text = static_cast<const char*> (payload.getData());
    const auto size = payload.getSize();
    const auto* separator = static_cast<const char*> (std::memchr (text, 0, size));

    InstanceChannel::Message message;
    if (separator == nullptr)
        return message;

    const auto folder = juce::String::fromUTF8 (text, (int)(separator - text));
    if (juce::File::isAbsolutePath (folder))
        message.workingDirectory = juce::File (folder);

    message.commandLine = juce::String::fromUTF8 (separator + 1, (int)(text + size - separator - 1));
    return message;
}

/** Makes the private folder for a socket outside the per-user folder: owned by this user, no
    symbolic link, nobody else may enter it. */
bool makePrivateFolder (const juce::File& folder)
{
    const auto path = folder.getFullPathName().toStdString();
    ::mkdir (path.c_str(), 0700);

    struct stat info{};
    if (::lstat (path.c_str(), &info) != 0 || ! S_ISDIR (info.st_mode) || info.st_uid != ::getuid())
        return false;

    return (info.st_mode & 077) == 0 || ::chmod (path.c_str(), 0700) == 0;
}
} // namespace

//==============================================================================
/** Accepts connections on the bound socket and reads one message from each. */
class InstanceChannel::Listener : public juce::Thread
{
public:
    using Callback = std::function<void (const Message&)>;

    Listener (int boundSocket, Callback onMessage)
        : juce::Thread ("Instance Channel"), socket (boundSocket),
          callback (std::make_shared<Callback> (std::move (onMessage)))
    {
    }

    ~Listener() override
    {
        signalThreadShouldExit();
        stopThread (2000);
        // Messages posted but not yet delivered find the callback gone.
        callback.reset();
    }

    void run() override
    {
        while (! threadShouldExit())
        {
            pollfd p{socket.fd, POLLIN, 0};
            if (::poll (&p, 1, 200) <= 0)
                continue;

            FileDescriptor connection (::accept (socket.fd, nullptr, nullptr));
            if (connection.isValid())
                serve (connection.fd);
        }
    }

private:
    void serve (int fd)
    {
        // Only this user's own processes may hand over a command line.
        ucred credentials{};
        socklen_t length = sizeof (credentials);
        if (::getsockopt (fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || credentials.uid != ::getuid())
            return;

        const auto deadline = juce::Time::getMillisecondCounter() + 2000;
        juce::uint32 size = 0;

        if (! readAll (fd, &size, sizeof (size), deadline))
            return;

        size = juce::ByteOrder::swapIfBigEndian (size);
        if (size > (juce::uint32)maxMessageBytes)
            return;

        juce::MemoryBlock payload (size);
        if (size > 0 && ! readAll (fd, payload.getData(), size, deadline))
            return;

        writeAll (fd, &acknowledgement, 1, deadline);

        juce::MessageManager::callAsync (
            [weak = std::weak_ptr<Callback> (callback), message = decode (payload)]
            {
                if (auto target = weak.lock(); target != nullptr && *target)
                    (*target) (message);
            });
    }

    FileDescriptor socket;
    std::shared_ptr<Callback> callback;
};

//==============================================================================
juce::File InstanceChannel::socketFileFor (const juce::File& userFolder, const juce::String& applicationName)
{
    const auto inFolder = userFolder.getChildFile (juce::File::createLegalFileName (applicationName) + ".socket");

    if (sockaddr_un address{}; makeAddress (inFolder, address))
        return inFolder;

    // A socket address holds about 100 bytes of path: fall back to a private folder in the
    // temp folder, one socket per per-user folder.
    const auto hash = juce::String::toHexString (userFolder.getFullPathName().hashCode64());
    return juce::File ("/tmp")
        .getChildFile ("dravin8-" + juce::String ((int)::getuid()))
        .getChildFile (hash + ".socket");
}

InstanceChannel::InstanceChannel (juce::File file) : socketFile (std::move (file)) {}

InstanceChannel::~InstanceChannel()
{
    if (listener != nullptr)
    {
        listener.reset();
        // Not File::deleteFile: it takes a socket for a folder.
        ::unlink (socketFile.getFullPathName().toRawUTF8());
    }
}

InstanceChannel::Outcome InstanceChannel::claim (const Message& ownMessage,
                                                 std::function<void (const Message&)> onMessage)
{
    auto folder = socketFile.getParentDirectory();
    if (folder.getParentDirectory().getFullPathName() == "/tmp" ? ! makePrivateFolder (folder)
                                                                 : ! folder.createDirectory())
        return Outcome::unavailable;

    // Two programs started together must not both become the first: the check and the bind
    // happen under one lock.
    const auto lockPath = socketFile.withFileExtension (".lock").getFullPathName().toStdString();
    FileDescriptor lock (::open (lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));

    if (! lock.isValid())
        return Outcome::unavailable;

    while (::flock (lock.fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return Outcome::unavailable;

    // An instance that accepted the connection runs, even when it did not confirm in time:
    // its socket must not be taken over.
    if (deliver (socketFile, ownMessage, 3000) != Delivery::nobodyListening)
        return Outcome::handedOver;

    return startListening (std::move (onMessage)) ? Outcome::becameFirst : Outcome::unavailable;
}

bool InstanceChannel::startListening (std::function<void (const Message&)> onMessage)
{
    sockaddr_un address{};
    if (! makeAddress (socketFile, address))
        return false;

    FileDescriptor server (::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (! server.isValid())
        return false;

    // Nobody answered at the socket (checked under the lock): what is left there is stale.
    ::unlink (address.sun_path);

    const auto previousMask = ::umask (0177);
    const auto bound = ::bind (server.fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)) == 0;
    ::umask (previousMask);

    if (! bound || ::chmod (address.sun_path, 0600) != 0 || ::listen (server.fd, 8) != 0)
        return false;

    listener = std::make_unique<Listener> (std::exchange (server.fd, -1), std::move (onMessage));
    listener->startThread();
    return true;
}

bool InstanceChannel::send (const juce::File& file, const Message& message, int timeoutMs)
{
    return deliver (file, message, timeoutMs) == Delivery::delivered;
}

InstanceChannel::Delivery InstanceChannel::deliver (const juce::File& file, const Message& message, int timeoutMs)
{
    sockaddr_un address{};
    if (! makeAddress (file, address))
        return Delivery::nobodyListening;

    FileDescriptor client (::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (! client.isValid())
        return Delivery::nobodyListening;

    if (::connect (client.fd, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0)
        return Delivery::nobodyListening;

    // An instance answers here from now on, whatever becomes of the message.
    auto payload = encode (message);
    if (payload.getSize() > (size_t)maxMessageBytes)
        payload = encode ({{}, message.workingDirectory}); // still brings the window to the front

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    const auto size = juce::ByteOrder::swapIfBigEndian ((juce::uint32)payload.getSize());
    char reply = 0;

    const auto confirmed = writeAll (client.fd, &size, sizeof (size), deadline)
                           && writeAll (client.fd, payload.getData(), payload.getSize(), deadline)
                           && readAll (client.fd, &reply, 1, deadline) && reply == acknowledgement;

    return confirmed ? Delivery::delivered : Delivery::notConfirmed;
}
