#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <memory>

/** Reads a reel archive for import, trusting nothing in it.

    The entry names are checked as raw bytes before juce::ZipFile reads them (see
    ArchiveEntryNames); an archive with a damaged name is refused by check() and never opened.

    check() looks at every entry before anything is written: entry names may use '/' or '\\'
    (archives made on Windows use the latter) and must stay inside the folder they unpack
    into (no "..", no absolute or drive paths, no control characters); symbolic-link entries
    are refused; the declared sizes must add up to no more than the given cap; and the archive
    must hold a "settings.xml" at its top, or inside one folder that encloses everything (as
    a folder zipped by hand does), which is then dropped from the paths.

    unpackTo() then writes the files, counting the bytes it really gets so an entry that
    unpacks to more (or less) than it declared is refused, and gives each file the entry's
    stored time. */
class ReelArchiveReader
{
public:
    explicit ReelArchiveReader (const juce::File& archive);

    /** Reads an archive held in a stream (such as an embedded resource), which it then owns. */
    explicit ReelArchiveReader (std::unique_ptr<juce::InputStream> archive);

    /** Number of entries the archive declares; 0 for a file that is not a ZIP archive. */
    int getNumEntries() const { return zip != nullptr ? zip->getNumEntries() : 0; }

    juce::Result check (juce::int64 maxTotalBytes);

    /** Sum of the declared sizes of the files check() accepted. */
    juce::int64 getTotalBytes() const noexcept { return totalBytes; }

    /** Unpacks what check() accepted into folder, which must exist. Stops at the first failure
        and leaves cleaning up to the caller. */
    juce::Result unpackTo (const juce::File& folder, std::atomic<double>* progress = nullptr,
                           const std::function<bool()>& shouldCancel = {});

private:
    struct PlannedEntry
    {
        int index = 0;
        juce::StringArray path; // folder names, then the file name
        bool isFolder = false;
        juce::int64 size = 0;
        juce::Time time;
    };

    void open (std::unique_ptr<juce::InputStream> archive);

    std::unique_ptr<juce::ZipFile> zip; // null when the names were refused
    juce::Result namesChecked = juce::Result::ok();
    juce::Array<PlannedEntry> plan;
    juce::int64 totalBytes = 0;
    bool checked = false;
};
