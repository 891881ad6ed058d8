#pragma once

#include <juce_core/juce_core.h>

/** How a command-line text (of this start or of a second one) becomes a reel file to open: the
    path of an existing ".reel" or ".zip" file, or a "file://" URL of one. */
struct CommandLineFile
{
    /** The file the text names, or an invalid file when it names no existing ".reel" or ".zip"
        file (folders, other files, nothing): one pair of enclosing quotes and surrounding white
        space removed (a pair still there after that too), a relative path taken from
        workingDirectory, a "file://" URL of a local file decoded. */
    static juce::File resolve (const juce::String& text, const juce::File& workingDirectory);

    /** A ZIP archive with at least one entry, whatever its extension (backups of the library may
        carry ".reel"); a pointer file is not. */
    static bool isArchive (const juce::File& file);

    /** The library reel a pointer file stands for: the library's reel named after the file, else
        the reel folder the file lies in (its name); empty when neither holds a reel. */
    static juce::String findPointerReel (const juce::File& pointer, const juce::File& libraryRoot);

    /** Whether an archive that was imported may be deleted afterwards: only a received attachment
        or temporary copy, that is a file in the system's temp folder or under a folder named
        exactly "Inbox". */
    static bool isDisposableCopy (const juce::File& archive);
};
