#include "storage/ReelLibrary.h"

#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "storage/ReelArchiveReader.h"
#include "storage/ReelArchiveWriter.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelNames.h"
#include "storage/StorageIds.h"

#include <cstdio>
#include <map>
#include <set>

namespace
{
// Reel name to shelf slot, as "shelf_layout.xml" holds it; names compared exactly.
using ShelfLayout = std::map<juce::String, int>;

ShelfLayout readShelfLayout (const juce::File& root)
{
    ShelfLayout layout;

    if (auto xml = GuardedXmlReader::parseFile (root.getChildFile (StorageIds::shelfLayoutFile)))
        for (auto* element : xml->getChildIterator()) // any tag: hand-edited files are read all the same
            layout[element->getStringAttribute (StorageIds::layoutNameAttribute)] =
                element->getIntAttribute (StorageIds::layoutSlotAttribute);

    return layout;
}

void writeShelfLayout (const juce::File& root, const juce::Array<ShelfEntry>& entries)
{
    juce::XmlElement layout (StorageIds::layoutTag);

    for (const auto& entry : entries)
    {
        auto* reel = layout.createNewChildElement (StorageIds::layoutReelTag);
        reel->setAttribute (StorageIds::layoutNameAttribute, entry.name);
        reel->setAttribute (StorageIds::layoutSlotAttribute, entry.slot);
    }

    layout.writeTo (root.getChildFile (StorageIds::shelfLayoutFile));
}

juce::int64 lastWriteTime (const juce::File& f)
{
    return f.getLastModificationTime().toMilliseconds();
}

// The shelf for the folders now in root. New reels are added to layout with the smallest
// free slot, and changed is set for them.
juce::Array<ShelfEntry> buildShelf (const juce::File& root, ShelfLayout& layout, bool& changed)
{
    struct Folder
    {
        juce::File file;
        juce::String name;
        juce::int64 time;
    };

    std::vector<Folder> folders;

    // Hidden folders are never reels: the first-run job unpacks the demo reel in one before
    // moving it into place.
    for (const auto& f : root.findChildFiles (juce::File::findDirectories, false, "*", juce::File::FollowSymlinks::no))
        if (! f.getFileName().startsWithChar ('.'))
            folders.push_back ({f, f.getFileName(), lastWriteTime (f)});

    // Oldest first; equal times fall back to the name so the order does not wander.
    std::sort (folders.begin(), folders.end(),
               [] (const Folder& a, const Folder& b) { return a.time != b.time ? a.time < b.time : a.name < b.name; });

    // A layout entry holds its slot even for a folder left off the shelf below.
    std::set<int> usedSlots;

    for (const auto& folder : folders)
        if (auto it = layout.find (folder.name); it != layout.end())
            usedSlots.insert (it->second);

    juce::Array<ShelfEntry> shelf;

    for (const auto& folder : folders)
    {
        if (ReelNames::isScratchReelName (folder.name))
            continue;

        int slot = 0;

        if (auto it = layout.find (folder.name); it != layout.end())
        {
            slot = it->second;
        }
        else
        {
            while (usedSlots.count (slot) != 0)
                ++slot;

            layout[folder.name] = slot;
            usedSlots.insert (slot);
            changed = true;
        }

        shelf.add ({folder.name, folder.file, folder.time, slot});
    }

    return shelf;
}

bool renamePath (const juce::File& from, const juce::File& to)
{
    // A plain rename: juce::File::moveFileTo deletes the target first, which on a file system
    // that ignores letter case would be the source itself.
    return std::rename (from.getFullPathName().toRawUTF8(), to.getFullPathName().toRawUTF8()) == 0;
}

bool isPointerFile (const juce::File& f)
{
    return f.existsAsFile() && f.getSize() < 1024 && f.loadFileAsString().trimEnd() == StorageIds::pointerText;
}

// An archive carries the pointer file of the reel it was made from; after import under
// another name it would point at that other reel.
void renamePointerFile (const juce::File& folder, const juce::String& reelName)
{
    const auto wanted = folder.getChildFile (reelName + StorageIds::pointerExtension);

    if (wanted.exists())
        return;

    juce::Array<juce::File> pointers;

    for (const auto& f :
         folder.findChildFiles (juce::File::findFiles, false, juce::String ("*") + StorageIds::pointerExtension))
        if (isPointerFile (f))
            pointers.add (f);

    if (pointers.size() == 1)
        renamePath (pointers.getReference (0), wanted);
}
} // namespace

ReelLibrary::ReelLibrary() : userDataFolder (Platform::getUserDataFolder())
{
    if (! userDataFolder.exists())
        userDataFolder.createDirectory();

    auto root = Platform::getDefaultMusicFolder()
                    .getChildFile (StorageIds::defaultRootVendorFolder)
                    .getChildFile (StorageIds::defaultRootProductFolder)
                    .getChildFile (StorageIds::defaultRootReelsFolder);

    if (const auto pathFile = userDataFolder.getChildFile (StorageIds::libraryPathFile); pathFile.existsAsFile())
    {
        const auto chosen = pathFile.loadFileAsString().trim();

        if (juce::File::isAbsolutePath (chosen) && juce::File (chosen).isDirectory())
            root = juce::File (chosen);
    }

    if (! root.exists())
        root.createDirectory();

    libraryRoot = root;
}

juce::File ReelLibrary::getLibraryRoot() const
{
    const juce::ScopedLock sl (rootLock);
    return libraryRoot;
}

juce::File ReelLibrary::getReelFolder (const juce::String& reelName) const
{
    if (ReelNames::checkFolderName (reelName).failed())
        return {};

    return getLibraryRoot().getChildFile (reelName);
}

bool ReelLibrary::setLibraryFolder (const juce::File& folder)
{
    if (folder == juce::File() || ! folder.isDirectory())
        return false;

    {
        const juce::ScopedLock sl (rootLock);
        libraryRoot = folder;
    }

    userDataFolder.getChildFile (StorageIds::libraryPathFile).replaceWithText (folder.getFullPathName(), false, false);
    return true;
}

juce::Array<ShelfEntry> ReelLibrary::loadShelf()
{
    const auto root = getLibraryRoot();
    auto layout = readShelfLayout (root);
    bool changed = false;
    auto shelf = buildShelf (root, layout, changed);

    // Also rewritten when the layout names reels no longer on the shelf, so they drop out.
    if (changed || (int)layout.size() > shelf.size())
        writeShelfLayout (root, shelf);

    return shelf;
}

void ReelLibrary::saveShelfLayout (const juce::Array<ShelfEntry>& entries)
{
    writeShelfLayout (getLibraryRoot(), entries);
}

juce::Result ReelLibrary::zipReel (const juce::String& reelName, const juce::File& destination,
                                   std::atomic<double>* progress, const std::function<bool()>& shouldCancel) const
{
    const auto folder = getReelFolder (reelName);

    if (folder == juce::File() || ! folder.isDirectory())
        return juce::Result::fail ("The tape \"" + reelName + "\" could not be found.");

    if (destination == juce::File() || destination == folder || destination.isAChildOf (folder))
        return juce::Result::fail ("A backup cannot be written into the tape's own folder.");

    // What a save in progress (or one cut off) has lying about is no part of the reel.
    auto items = ReelArchiveWriter::listFolder (folder);
    items.removeIf ([] (const ReelArchiveWriter::Item& item)
                    { return ReelFolderFormat::isTransientFile (item.file.getFileName()); });

    return ReelArchiveWriter::write (items, destination, progress, shouldCancel);
}

juce::String ReelLibrary::importReelArchive (const juce::File& archive, juce::String* failureReason,
                                             std::atomic<double>* progress, const std::function<bool()>& shouldCancel)
{
    const auto refuse = [failureReason] (const juce::String& reason)
    {
        if (failureReason != nullptr)
            *failureReason = reason;

        return juce::String();
    };

    if (archive == juce::File() || ! archive.existsAsFile())
        return refuse ("The archive could not be found.");

    ReelArchiveReader reader (archive);

    if (auto checked = reader.check (maxUnpackedArchiveBytes); checked.failed())
        return refuse (checked.getErrorMessage());

    const auto root = getLibraryRoot();

    if (const auto freeBytes = root.getBytesFreeOnVolume(); freeBytes > 0 && reader.getTotalBytes() > freeBytes)
        return refuse ("There is not enough free disk space for this tape (" +
                       juce::File::descriptionOfSizeInBytes (reader.getTotalBytes()) + " needed).");

    const auto name =
        ReelNames::makeUniqueReelName (ReelNames::makeFolderNameFrom (archive.getFileNameWithoutExtension()), root);
    const auto folder = root.getChildFile (name);

    if (name.isEmpty() || folder.exists() || ! folder.createDirectory())
        return refuse ("The folder for the tape could not be created.");

    auto unpacked = reader.unpackTo (folder, progress, shouldCancel);

    if (unpacked.wasOk() && ! folder.getChildFile (StorageIds::settingsFile).existsAsFile())
        unpacked = juce::Result::fail ("This file is not a tape archive.");

    if (unpacked.failed())
    {
        folder.deleteRecursively(); // never leave an empty or partial reel behind
        return refuse (unpacked.getErrorMessage());
    }

    renamePointerFile (folder, name);
    return name;
}

juce::Result ReelLibrary::duplicateReel (const juce::File& sourceFolder, const juce::String& newName,
                                         std::atomic<double>* progress, const std::function<bool()>& shouldCancel) const
{
    const auto root = getLibraryRoot();

    if (! sourceFolder.isDirectory())
        return juce::Result::fail ("The tape to duplicate could not be found.");

    if (auto valid = ReelNames::checkNewReelName (newName, root, {}); valid.failed())
        return valid;

    const auto target = root.getChildFile (newName);

    if (target.exists())
        return juce::Result::fail ("A tape with this name already exists.");

    juce::Array<juce::File> files;
    juce::int64 totalBytes = 0;

    for (const auto& f : sourceFolder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
    {
        if (f.isSymbolicLink())
            continue;

        files.add (f);
        totalBytes += f.getSize();
    }

    if (const auto freeBytes = root.getBytesFreeOnVolume(); freeBytes > 0 && totalBytes > freeBytes)
        return juce::Result::fail ("There is not enough free disk space to duplicate this tape (it needs " +
                                   juce::File::descriptionOfSizeInBytes (totalBytes) + ", " +
                                   juce::File::descriptionOfSizeInBytes (freeBytes) + " are free).");

    const auto fail = [&target] (const juce::String& message)
    {
        target.deleteRecursively(); // a copy cut short must not look like a whole tape
        return juce::Result::fail (message);
    };

    const juce::String copyFailed = "The tape could not be copied; nothing was duplicated.";

    if (! target.createDirectory())
        return fail (copyFailed);

    std::vector<char> piece ((size_t)1 << 20);
    juce::int64 copiedBytes = 0;

    for (const auto& source : files)
    {
        const auto destination = target.getChildFile (source.getRelativePathFrom (sourceFolder));

        if (! destination.isAChildOf (target) || ! destination.getParentDirectory().createDirectory())
            return fail (copyFailed);

        juce::FileInputStream in (source);
        juce::FileOutputStream out (destination);

        if (in.failedToOpen() || out.failedToOpen())
            return fail (copyFailed);

        for (;;)
        {
            if (shouldCancel && shouldCancel())
                return fail (duplicateCancelledMessage);

            const auto got = in.read (piece.data(), (int)piece.size());

            if (got <= 0)
                break;

            if (! out.write (piece.data(), (size_t)got))
                return fail (copyFailed + " The disk may be full.");

            copiedBytes += got;

            if (progress != nullptr && totalBytes > 0)
                progress->store ((double)copiedBytes / (double)totalBytes);
        }

        out.flush();

        if (out.getStatus().failed() || ! in.isExhausted())
            return fail (copyFailed + " The disk may be full.");
    }

    // The copy's pointer file follows its new name, so that opening it opens the copy.
    const auto copiedPointer = target.getChildFile (sourceFolder.getFileName() + StorageIds::pointerExtension);

    if (copiedPointer.existsAsFile())
        renamePath (copiedPointer, target.getChildFile (newName + StorageIds::pointerExtension));
    else
        renamePointerFile (target, newName);

    if (progress != nullptr)
        progress->store (1.0);

    return juce::Result::ok();
}

juce::Result ReelLibrary::renameReel (const juce::String& oldName, const juce::String& newName)
{
    if (newName == oldName && newName.isNotEmpty())
        return juce::Result::ok();

    const auto root = getLibraryRoot();
    const auto oldFolder = getReelFolder (oldName);

    if (oldFolder == juce::File() || ! oldFolder.isDirectory())
        return juce::Result::fail ("The tape \"" + oldName + "\" could not be found.");

    if (auto valid = ReelNames::checkNewReelName (newName, root, oldName); valid.failed())
        return valid;

    const auto newFolder = root.getChildFile (newName);
    const bool caseOnly = newName.equalsIgnoreCase (oldName);

    if (! caseOnly && newFolder.exists())
        return juce::Result::fail ("A tape with this name already exists.");

    auto layout = readShelfLayout (root);

    if (! renamePath (oldFolder, newFolder))
        return juce::Result::fail ("The tape could not be renamed.");

    const auto oldPointer = newFolder.getChildFile (oldName + StorageIds::pointerExtension);
    const auto newPointer = newFolder.getChildFile (newName + StorageIds::pointerExtension);

    if (oldPointer.existsAsFile() && (caseOnly || ! newPointer.exists()))
        renamePath (oldPointer, newPointer); // a failure leaves the old pointer, which nothing reads

    // The reel keeps its slot under its new name; without one it is new on the shelf.
    if (auto it = layout.find (oldName); it != layout.end())
    {
        const auto slot = it->second;
        layout.erase (it);
        layout[newName] = slot;
    }

    bool changed = false;
    writeShelfLayout (root, buildShelf (root, layout, changed));
    return juce::Result::ok();
}
