#include "storage/FirstRun.h"

#include "storage/FactoryPresets.h"
#include "storage/ReelArchiveReader.h"
#include "storage/ReelLibrary.h"
#include "storage/ReelNames.h"
#include "storage/StorageIds.h"

#include <cstdio>
#include <set>

namespace FirstRun
{
namespace
{
    // What the archive installs, as relative paths joined with '/'.
    struct ArchiveLayout
    {
        std::set<juce::String> files, folders;
    };

    std::unique_ptr<juce::InputStream> openInPlace (EmbeddedBytes archive)
    {
        return std::make_unique<juce::MemoryInputStream> (archive.data, archive.size, false);
    }

    // Entry names split as the archive reader splits them ('/' or '\\', empty and "." parts
    // dropped). The reader refuses anything that escapes; this only has to list the rest.
    bool readLayout (EmbeddedBytes archive, ArchiveLayout& layout)
    {
        juce::ZipFile zip (openInPlace (archive).release(), true);

        for (int i = 0; i < zip.getNumEntries(); ++i)
        {
            const auto name = zip.getEntry (i)->filename.replaceCharacter ('\\', '/');
            const bool isFolder = name.endsWithChar ('/');
            juce::StringArray parts;

            for (const auto& part : juce::StringArray::fromTokens (name, "/", {}))
                if (part.isNotEmpty() && part != ".")
                    parts.add (part);

            if (parts.isEmpty())
                continue;

            for (int depth = 1; depth < parts.size(); ++depth)
                layout.folders.insert (parts.joinIntoString ("/", 0, depth));

            (isFolder ? layout.folders : layout.files).insert (parts.joinIntoString ("/"));
        }

        // Only a reel folder at the archive's top is taken: then the reader keeps every path
        // as listed here (it would drop a single enclosing folder).
        return layout.files.count (StorageIds::settingsFile) != 0;
    }

    juce::String relativePath (const juce::File& item, const juce::File& folder)
    {
        return item.getRelativePathFrom (folder).replaceCharacter ('\\', '/');
    }

    // True when everything inside folder is something the archive installs (an empty folder
    // included), with markerAllowed also the marker: such a folder is an unfinished
    // installation of ours and may go. A link, or any other file or folder, belongs to the user.
    bool holdsOnlyArchiveItems (const juce::File& folder, const ArchiveLayout& layout, bool markerAllowed)
    {
        for (const auto& item : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories,
                                                               juce::File::FollowSymlinks::no))
        {
            const auto& file = item.getFile();
            const auto path = relativePath (file, folder);

            if (file.isSymbolicLink())
                return false;

            if (item.isDirectory() ? layout.folders.count (path) == 0
                                   : layout.files.count (path) == 0 && ! (markerAllowed && path == installedMarkerFile))
                return false;
        }

        return true;
    }

    // A plain rename, refused when anything is at the target (rename(2) would replace an
    // empty folder there).
    bool renameFolder (const juce::File& from, const juce::File& to)
    {
        return ! to.exists() && std::rename (from.getFullPathName().toRawUTF8(), to.getFullPathName().toRawUTF8()) == 0;
    }

    // A hidden folder of ours beside the target. One left by an earlier run that was cut
    // short is removed first, but only when it holds nothing but what the archive installs.
    bool clearWorkFolder (const juce::File& folder, const ArchiveLayout& layout)
    {
        if (! folder.exists())
            return true;

        return folder.isDirectory() && ! folder.isSymbolicLink() && holdsOnlyArchiveItems (folder, layout, true) &&
               folder.deleteRecursively();
    }
} // namespace

DemoOutcome installDemoReel (const juce::File& libraryRoot, const juce::String& name, EmbeddedBytes archive,
                             const std::function<bool()>& shouldStop)
{
    if (archive.isEmpty())
        return DemoOutcome::noArchive;

    if (libraryRoot == juce::File() || ReelNames::checkFolderName (name).failed())
        return DemoOutcome::failed;

    const auto target = libraryRoot.getChildFile (name);

    if (target.isDirectory() && target.getChildFile (installedMarkerFile).existsAsFile())
        return DemoOutcome::alreadyInstalled;

    ArchiveLayout layout;

    if (! readLayout (archive, layout))
        return DemoOutcome::failed;

    const auto isOurs = [&]
    {
        return ! target.exists() ||
               (target.isDirectory() && ! target.isSymbolicLink() && holdsOnlyArchiveItems (target, layout, false));
    };

    if (! isOurs())
        return DemoOutcome::keptUsersFolder;

    ReelArchiveReader reader (openInPlace (archive));

    if (reader.check (ReelLibrary::maxUnpackedArchiveBytes).failed())
        return DemoOutcome::failed;

    if (const auto freeBytes = libraryRoot.getBytesFreeOnVolume(); freeBytes > 0 && reader.getTotalBytes() > freeBytes)
        return DemoOutcome::failed;

    const auto staging = libraryRoot.getChildFile ("." + name + ".installing");
    const auto replaced = libraryRoot.getChildFile ("." + name + ".replaced");

    if (! clearWorkFolder (staging, layout) || ! clearWorkFolder (replaced, layout) || ! staging.createDirectory())
        return DemoOutcome::failed;

    const auto giveUp = [&]
    {
        staging.deleteRecursively();
        return DemoOutcome::failed;
    };

    if (reader.unpackTo (staging, nullptr, shouldStop).failed())
        return giveUp();

    // Written last: its presence says every file before it was unpacked.
    if (! staging.getChildFile (installedMarkerFile).create())
        return giveUp();

    // Unpacking took a while: look again before anything of the user's could be moved.
    if (! isOurs())
    {
        giveUp();
        return DemoOutcome::keptUsersFolder;
    }

    if (target.exists() && ! renameFolder (target, replaced))
        return giveUp();

    if (! renameFolder (staging, target))
    {
        if (replaced.exists())
            renameFolder (replaced, target);

        return giveUp();
    }

    replaced.deleteRecursively();
    return DemoOutcome::installed;
}

void installFirstRunContent (const juce::File& libraryRoot, const juce::File& userDataFolder, EmbeddedBytes archive,
                             const std::function<bool()>& shouldStop)
{
    const auto stopping = [&] { return shouldStop != nullptr && shouldStop(); };

    installDemoReel (libraryRoot, demoReelName, archive, shouldStop);

    for (const auto* instrument : FactoryPresets::allInstruments())
        if (! stopping())
            FactoryPresets::installPresets (*instrument, userDataFolder, shouldStop);
}

void installFirstRunContent (const ReelLibrary& library, EmbeddedBytes archive, const std::function<bool()>& shouldStop)
{
    installFirstRunContent (library.getLibraryRoot(), library.userDataFolder, archive, shouldStop);
}
} // namespace FirstRun
