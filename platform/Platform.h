#pragma once

#include <juce_core/juce_core.h>

// The few operating-system services the studio needs beyond what JUCE offers portably:
// where the per-user files and the default library live, and a file move that replaces
// its target in one step.
namespace Platform
{
/** The per-user folder: "Velmora/Dravin 8" in the user's application-data folder
    (~/.config on Linux). Not created here. */
juce::File getUserDataFolder();

/** The user's music folder, falling back to the documents folder and then the home folder,
    as the default place for the reel library. */
juce::File getDefaultMusicFolder();

/** Renames source over target in one step: target is either the old file or the complete
    new one, never missing or partial. Both must be on the same file system (callers write
    the new file beside the target). Returns false, leaving both untouched, on failure. */
bool replaceFile (const juce::File& source, const juce::File& target);

/** True for a plain file: not a folder, device, pipe or socket (a path in a damaged reel or
    state naming "/dev/stdin" or a pipe would otherwise block the reader for ever). Links are
    followed. */
bool isRegularFile (const juce::File& file);

/** The file's last modification in nanoseconds since 1970, 0 when it cannot be read.
    File::getLastModificationTime only has whole seconds here, too coarse to order two saves
    made in the same second. */
juce::int64 getModificationTimeNanoseconds (const juce::File& file);

/** Points the per-user folder and the music folder somewhere else while it lives, so that
    tests never touch the real home folder. The environment variables DRAVIN8_USER_FOLDER and
    DRAVIN8_MUSIC_FOLDER do the same for a whole process (used when the program runs under
    tests). Overrides nest; the innermost wins. */
class ScopedFolderOverride
{
public:
    ScopedFolderOverride (const juce::File& userDataFolder, const juce::File& musicFolder);
    ~ScopedFolderOverride();

private:
    juce::File previousUserData, previousMusic;

    JUCE_DECLARE_NON_COPYABLE (ScopedFolderOverride)
};
} // namespace Platform
