#include "platform/Platform.h"

#include <cstdio>

#include <sys/stat.h>

namespace Platform
{
namespace
{
    juce::CriticalSection& overrideLock()
    {
        static juce::CriticalSection lock;
        return lock;
    }

    juce::File& userDataOverride()
    {
        static juce::File folder;
        return folder;
    }

    juce::File& musicOverride()
    {
        static juce::File folder;
        return folder;
    }

    juce::File folderFromEnvironment (const char* name)
    {
        auto value = juce::SystemStats::getEnvironmentVariable (name, {});
        return juce::File::isAbsolutePath (value) ? juce::File (value) : juce::File();
    }
} // namespace

juce::File getUserDataFolder()
{
    {
        const juce::ScopedLock sl (overrideLock());
        if (userDataOverride() != juce::File())
            return userDataOverride();
    }

    if (auto fromEnvironment = folderFromEnvironment ("DRAVIN8_USER_FOLDER"); fromEnvironment != juce::File())
        return fromEnvironment;

    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
        .getChildFile ("Velmora")
        .getChildFile ("Dravin 8");
}

juce::File getDefaultMusicFolder()
{
    {
        const juce::ScopedLock sl (overrideLock());
        if (musicOverride() != juce::File())
            return musicOverride();
    }

    if (auto fromEnvironment = folderFromEnvironment ("DRAVIN8_MUSIC_FOLDER"); fromEnvironment != juce::File())
        return fromEnvironment;

    for (auto location : { juce::File::userMusicDirectory, juce::File::userDocumentsDirectory, juce::File::userHomeDirectory })
    {
        auto folder = juce::File::getSpecialLocation (location);
        if (folder.isDirectory())
            return folder;
    }

    return juce::File::getSpecialLocation (juce::File::userHomeDirectory);
}

bool isRegularFile (const juce::File& file)
{
    struct stat info {};
    return file.getFullPathName().isNotEmpty() && ::stat (file.getFullPathName().toRawUTF8(), &info) == 0 &&
           S_ISREG (info.st_mode);
}

bool replaceFile (const juce::File& source, const juce::File& target)
{
    if (! source.existsAsFile() || target.isDirectory())
        return false;

    // rename(2) swaps the directory entry atomically; juce::File::moveFileTo deletes the
    // target first, which would leave a window with no file at all.
    return std::rename (source.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) == 0;
}

ScopedFolderOverride::ScopedFolderOverride (const juce::File& userDataFolder, const juce::File& musicFolder)
{
    const juce::ScopedLock sl (overrideLock());
    previousUserData = userDataOverride();
    previousMusic = musicOverride();
    userDataOverride() = userDataFolder;
    musicOverride() = musicFolder;
}

ScopedFolderOverride::~ScopedFolderOverride()
{
    const juce::ScopedLock sl (overrideLock());
    userDataOverride() = previousUserData;
    musicOverride() = previousMusic;
}

juce::int64 getModificationTimeNanoseconds (const juce::File& file)
{
    struct stat info
    {
    };

    if (::stat (file.getFullPathName().toRawUTF8(), &info) != 0)
        return 0;

    return (juce::int64)info.st_mtim.tv_sec * 1000000000 + (juce::int64)info.st_mtim.tv_nsec;
}
} // namespace Platform
