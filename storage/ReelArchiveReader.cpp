#include "storage/ReelArchiveReader.h"

#include "storage/ArchiveEntryNames.h"
#include "storage/StorageIds.h"

namespace
{
constexpr int copyBlockBytes = 1 << 16;

bool hasControlCharacter (const juce::String& s)
{
    for (auto p = s.getCharPointer(); ! p.isEmpty(); ++p)
        if (*p < 0x20 || *p == 0x7f)
            return true;

    return false;
}

bool isDriveName (const juce::String& s)
{
    return s.length() == 2 && s[1] == ':' && juce::CharacterFunctions::isLetter (s[0]);
}

// Splits an entry name into its folder and file names; false when the entry would land
// outside the folder it is unpacked into.
bool splitEntryName (const juce::String& name, juce::StringArray& parts)
{
    const auto slashed = name.replaceCharacter ('\\', '/');

    if (slashed.startsWithChar ('/') || hasControlCharacter (slashed))
        return false;

    parts.clear();

    for (const auto& part : juce::StringArray::fromTokens (slashed, "/", {}))
    {
        if (part.isEmpty() || part == ".")
            continue;

        if (part == ".." || (parts.isEmpty() && isDriveName (part)))
            return false;

        parts.add (part);
    }

    return true;
}
} // namespace

ReelArchiveReader::ReelArchiveReader (const juce::File& archive)
{
    auto in = std::make_unique<juce::FileInputStream> (archive);

    if (in->openedOk())
        open (std::move (in));
}

ReelArchiveReader::ReelArchiveReader (std::unique_ptr<juce::InputStream> archive)
{
    if (archive != nullptr)
        open (std::move (archive));
}

void ReelArchiveReader::open (std::unique_ptr<juce::InputStream> archive)
{
    namesChecked = ArchiveEntryNames::check (*archive);

    if (namesChecked.wasOk())
        zip = std::make_unique<juce::ZipFile> (archive.release(), true);
}

juce::Result ReelArchiveReader::check (juce::int64 maxTotalBytes)
{
    plan.clearQuick();
    totalBytes = 0;
    checked = false;

    const auto notAReel = juce::Result::fail ("This file is not a tape archive.");

    if (namesChecked.failed())
        return namesChecked;

    if (getNumEntries() == 0)
        return notAReel;

    for (int i = 0; i < zip->getNumEntries(); ++i)
    {
        const auto* entry = zip->getEntry (i);
        PlannedEntry planned;
        planned.index = i;
        planned.size = entry->uncompressedSize;
        planned.time = entry->fileTime;
        planned.isFolder = entry->filename.endsWithChar ('/') || entry->filename.endsWithChar ('\\');

        if (entry->isSymbolicLink)
            return juce::Result::fail ("The archive holds a symbolic link (\"" + entry->filename +
                                       "\"), which a tape archive never does.");

        if (! splitEntryName (entry->filename, planned.path))
            return juce::Result::fail ("The archive holds a file that would be written outside the tape's folder (\"" +
                                       entry->filename + "\").");

        if (planned.path.isEmpty())
        {
            if (planned.isFolder)
                continue; // the folder itself

            return juce::Result::fail ("The archive holds an entry without a name.");
        }

        if (! planned.isFolder)
        {
            totalBytes += planned.size;

            if (planned.size < 0 || totalBytes > maxTotalBytes)
                return juce::Result::fail ("The archive unpacks to more than " +
                                           juce::File::descriptionOfSizeInBytes (maxTotalBytes) +
                                           ", far more than any tape can hold.");
        }

        plan.add (planned);
    }

    const auto isTopSettings = [] (const PlannedEntry& e)
    { return ! e.isFolder && e.path.size() == 1 && e.path[0] == StorageIds::settingsFile; };

    if (std::none_of (plan.begin(), plan.end(), isTopSettings))
    {
        // A reel folder zipped by hand: everything sits in one folder; drop it from the paths.
        const auto enclosing = plan.isEmpty() ? juce::String() : plan.getReference (0).path[0];
        const bool allInside = enclosing.isNotEmpty() &&
                               std::all_of (plan.begin(), plan.end(),
                                            [&] (const PlannedEntry& e)
                                            { return e.path[0] == enclosing && (e.path.size() > 1 || e.isFolder); });

        if (! allInside)
            return notAReel;

        for (auto& e : plan)
            e.path.remove (0);

        plan.removeIf ([] (const PlannedEntry& e) { return e.path.isEmpty(); });

        if (std::none_of (plan.begin(), plan.end(), isTopSettings))
            return notAReel;
    }

    checked = true;
    return juce::Result::ok();
}

juce::Result ReelArchiveReader::unpackTo (const juce::File& folder, std::atomic<double>* progress,
                                          const std::function<bool()>& shouldCancel)
{
    jassert (checked);

    if (! checked || zip == nullptr || ! folder.isDirectory())
        return juce::Result::fail ("The tape could not be unpacked.");

    juce::HeapBlock<char> buffer (copyBlockBytes);
    juce::int64 bytesDone = 0;

    for (const auto& e : plan)
    {
        if (shouldCancel != nullptr && shouldCancel())
            return juce::Result::fail ("The import was cancelled.");

        // Joined by hand: getChildFile would take a first name starting with '~' as the home folder.
        const juce::File target (folder.getFullPathName() + juce::File::getSeparatorString() +
                                 e.path.joinIntoString (juce::File::getSeparatorString()));

        if (! target.isAChildOf (folder)) // cannot happen after check(); kept as the last guard
            return juce::Result::fail ("The archive holds a file that would be written outside the tape's folder.");

        if (e.isFolder)
        {
            if (! target.createDirectory())
                return juce::Result::fail ("The folder \"" + target.getFileName() + "\" could not be created.");

            continue;
        }

        const auto cannotWrite =
            juce::Result::fail ("The file \"" + e.path.joinIntoString ("/") + "\" could not be unpacked.");

        if (! target.getParentDirectory().createDirectory() || target.isDirectory() ||
            (target.exists() && ! target.deleteFile()))
            return cannotWrite;

        std::unique_ptr<juce::InputStream> in (zip->createStreamForEntry (e.index));

        if (in == nullptr)
            return cannotWrite;

        juce::int64 written = 0;

        {
            juce::FileOutputStream out (target, copyBlockBytes);

            if (out.failedToOpen())
                return cannotWrite;

            for (;;)
            {
                // Never more than one block past what the entry declared: a lying entry is
                // caught without unpacking its surplus.
                const auto wanted = (int)juce::jmin ((juce::int64)copyBlockBytes, e.size - written + 1);
                const auto got = in->read (buffer, wanted);

                if (got <= 0)
                    break;

                written += got;
                bytesDone += got;

                if (written > e.size || ! out.write (buffer, (size_t)got))
                    return cannotWrite;

                if (progress != nullptr && totalBytes > 0)
                    progress->store (juce::jlimit (0.0, 1.0, (double)bytesDone / (double)totalBytes));

                if (shouldCancel != nullptr && shouldCancel())
                    return juce::Result::fail ("The import was cancelled.");
            }

            out.flush();

            if (out.getStatus().failed())
                return cannotWrite;
        }

        if (written != e.size)
            return juce::Result::fail ("The file \"" + e.path.joinIntoString ("/") + "\" in the archive is damaged.");

        target.setCreationTime (e.time);
        target.setLastModificationTime (e.time);
        target.setLastAccessTime (e.time);
    }

    if (progress != nullptr)
        progress->store (1.0);

    return juce::Result::ok();
}
