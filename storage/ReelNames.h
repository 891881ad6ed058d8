#pragma once

#include <juce_core/juce_core.h>

/** The one place that decides which texts may name a reel. A reel's name is the name of its
    folder directly inside the library root, so every name that becomes a folder name (new
    tapes, renames, imported archives, backups) is checked here first; nothing that passes can
    reach outside the library or collide with the library's own files.

    Refusals come back as a failed juce::Result whose message is a sentence the dialogs show
    as it is. */
namespace ReelNames
{
/** Longest name accepted, in UTF-8 bytes: leaves room for the pointer file (name + ".reel")
    and the mixdown (name + " - Mixdown.wav") within the 255-byte file-name limit. */
inline constexpr int maxNameBytes = 200;

/** Scratch names mark an open reel that has no folder of its own ("Untitled", compared
    exactly) or one loaded from its recovery copy (ending with "(Recovered)", any letter case).
    The shelf never lists such folders, and leaving such a reel deletes its folder. */
bool isScratchReelName (const juce::String& name);

/** Whether the name can be a single folder directly inside the library: refuses an empty
    name, "." and "..", '/' and '\\', control characters, a leading '~' (which JUCE reads as
    the home folder), a trailing dot or space, and names
    longer than maxNameBytes. Says nothing about scratch names or names in use. */
juce::Result checkFolderName (const juce::String& name);

/** Everything the name of a new or renamed reel must pass: checkFolderName, not a scratch
    name ("Untitled" in any letter case here, since on a file system that ignores case it is
    the same folder), not a file the library keeps in its root, and not the name of anything
    already in the library root, compared ignoring case.

    renamedFrom is the reel being renamed: its own folder does not count as taken, so a
    rename that changes only the letter case is allowed. */
juce::Result checkNewReelName (const juce::String& name, const juce::File& libraryRoot,
                               const juce::String& renamedFrom = {});

/** Makes a text (such as an archive's file name without extension) into a name that
    checkFolderName accepts: path separators and control characters become '_', surrounding
    white space and trailing dots go, an over-long text is shortened; a text with nothing
    usable left gives "Imported Tape". */
juce::String makeFolderNameFrom (const juce::String& text);

/** The first of base, "base (2)", "base (3)", ... that checkNewReelName accepts in the
    library root; empty when base itself is not a valid folder name or no free name is found. */
juce::String makeUniqueReelName (const juce::String& base, const juce::File& libraryRoot);
} // namespace ReelNames
