#pragma once

#include "engine/tape/TapeTrack.h"
#include "storage/ShelfEntry.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

/** The reel library: one folder, the library root, in which every reel is a sub-folder named
    after the reel, plus the per-user folder that remembers where the root is. Every file
    operation on reel folders is a method of this class; names become folders only through
    ReelNames, so no operation reaches outside the root.

    Threads: the processor, screens and dialogs use it on the message thread. zipReel (the
    backup thread) and the other background jobs (save threads, first-run content) must read
    the root through getLibraryRoot(), which is safe against setLibraryFolder() running on the
    message thread at the same time. */
class ReelLibrary
{
public:
    /** Resolves both folders and creates them when missing: the per-user folder
        (Platform::getUserDataFolder()) and the library root, which is the folder named in
        "library_path.txt" when that names an existing folder, else "Velmora/Dravin 8/Reels"
        in the music folder. */
    ReelLibrary();

    /** The library root. Public for code on the message thread that builds paths of its own
        or starts a folder chooser there; only setLibraryFolder() changes it, also on the
        message thread. Other threads use getLibraryRoot(). */
    juce::File libraryRoot;

    /** The per-user folder; set once by the constructor and never changed. */
    juce::File userDataFolder;

    /** A copy of the library root, taken under the lock that setLibraryFolder() holds while it
        changes it: the way for any thread to read the root. */
    juce::File getLibraryRoot() const;

    /** The folder of the named reel directly inside the library root, or an invalid
        juce::File() when the name cannot be a single folder name (see ReelNames). */
    juce::File getReelFolder (const juce::String& reelName) const;

    /** Makes an existing folder the library root and remembers it in "library_path.txt" (the
        full path, no line end). A folder that does not exist changes nothing; returns whether
        the folder was taken. Reels are not moved. */
    bool setLibraryFolder (const juce::File& folder);

    /** The reels in the library root, oldest first, each with its stable shelf slot from
        "shelf_layout.xml". Reels new to the shelf get the smallest free slot; scratch-named
        folders ("Untitled", "... (Recovered)") are left off. Rewrites the layout when it
        changed or names reels that are gone. */
    juce::Array<ShelfEntry> loadShelf();

    /** Writes "shelf_layout.xml" (one "REEL" element with "name" and "slot" per entry, in
        array order) through a temporary file. A failed write leaves the old file. */
    void saveShelfLayout (const juce::Array<ShelfEntry>& entries);

    /** Writes the whole reel folder into a ZIP archive at destination, replacing any file
        there only once the new archive is complete (see ReelArchiveWriter). progress, when
        given, runs from 0 to 1; shouldCancel, when given, is polled during the writing and a
        true answer abandons the backup, leaving no partial archive. Refuses a reel the format
        cannot hold (4 GiB, 65535 files) before writing anything. The result is ok only when
        the archive was written; otherwise its message says why. Any thread. */
    juce::Result zipReel (const juce::String& reelName, const juce::File& destination,
                          std::atomic<double>* progress = nullptr,
                          const std::function<bool()>& shouldCancel = {}) const;

    /** The most an imported archive may unpack to: six full copies (the reel and its five
        slot copies) of a 24-track, 60-minute reel at 192 kHz are 185.4 GiB; the rest leaves
        room for mixdowns. */
    static constexpr juce::int64 maxUnpackedArchiveBytes = (juce::int64)200 << 30;

    /** Unpacks a reel archive into a new reel folder named after the archive's file name
        without its extension ("mix.final.zip" gives "mix.final"), with " (2)", " (3)", ...
        added when that name is taken, and returns the new reel's name. Returns an empty name,
        leaving nothing behind, when the file is missing or not a reel archive, an entry would
        land outside the new folder or is a symbolic link, the archive unpacks to more than
        maxUnpackedArchiveBytes or the free disk space, or an entry fails; failureReason then
        receives the reason. The archive's pointer file is renamed after the new reel. */
    juce::String importReelArchive (const juce::File& archive, juce::String* failureReason = nullptr,
                                    std::atomic<double>* progress = nullptr,
                                    const std::function<bool()>& shouldCancel = {});

    /** Renames a reel folder, its pointer file (old name + ".reel") and its shelf entry, which
        keeps its slot. The new name must pass ReelNames::checkNewReelName (a change of letter
        case only is allowed). An unchanged name does nothing and is ok; a refusal changes
        nothing and says why. Message thread. */
    juce::Result renameReel (const juce::String& oldName, const juce::String& newName);

    /** Copies a reel folder, every file in it (symbolic links are left out), into a new reel
        folder named newName, and renames the copy's pointer file after it. newName must pass
        ReelNames::checkNewReelName and be free. The copy goes in pieces of 1 MiB: progress, when
        given, runs from 0 to 1 over the bytes, and shouldCancel, when given, is asked between
        pieces. A copy that does not fit on the disk is refused before anything is written; one
        that fails or is cancelled part-way is taken away again, so that no half tape is left on
        the shelf. Any thread. */
    juce::Result duplicateReel (const juce::File& sourceFolder, const juce::String& newName,
                                std::atomic<double>* progress = nullptr,
                                const std::function<bool()>& shouldCancel = {}) const;

    /** What duplicateReel returns when shouldCancel ended it. */
    static constexpr const char* duplicateCancelledMessage = "The duplicate was cancelled; nothing was copied.";

    //==============================================================================
    // Reel folders: writing, reading, creating, testing and deleting the copies of a reel.
    // Slots: 0 the main copy, -1 "Recovery", 1 "State_1_Auto", 2..4 "State_2".."State_4".
    // A name that is not a single folder name inside the library (ReelNames::checkFolderName)
    // reaches no file: writers fail, readers find nothing, deleters do nothing.

    /** Writes one copy of the reel. Every file is written whole under a temporary name and
        checked before any old file is replaced, and the old files are then replaced as one
        change (ReelFolderWriter), so a failed save (full or read-only disk, a file that cannot
        be replaced) or one cut off by a crash leaves the previous copy complete and readable. A track file is written when the
        track is dirty, when alsoWrite holds true at its index, when the file is missing or
        when the slot is a snapshot (2..4); slot 0 writes the pointer file when it is
        missing. progress, when given, runs from 0 to 1 over the track files. shouldStop, when
        given, is asked after every piece read from the tracks and before the commit: when it
        answers true the save is abandoned, the previous copy stays as it was, and the result
        is stoppedMessage. Returns whether the copy was written; the failure message is for
        the user. */
    juce::Result writeReel (const juce::String& reelName, const std::vector<TapeTrack>& tracks,
                            juce::AudioProcessorValueTreeState& state, double tapePosition, double zeroOffset,
                            double sampleRate, const juce::XmlElement* rackState,
                            const juce::XmlElement* automation, int slot, const std::vector<bool>& alsoWrite = {},
                            std::atomic<double>* progress = nullptr, const std::function<bool()>& shouldStop = {})
    {
        return writeReel (reelName, tracks, state.copyState(), tapePosition, zeroOffset, sampleRate, rackState,
                          automation, slot, alsoWrite, progress, shouldStop);
    }

    /** What writeReel returns when shouldStop ended it. */
    static constexpr const char* stoppedMessage = "The save was stopped before it finished.";

    /** The same with the parameter state already copied (a background save takes its copy on
        the message thread, where the tree is changed). */
    juce::Result writeReel (const juce::String& reelName, const std::vector<TapeTrack>& tracks,
                            const juce::ValueTree& parameterState, double tapePosition, double zeroOffset,
                            double sampleRate, const juce::XmlElement* rackState,
                            const juce::XmlElement* automation, int slot, const std::vector<bool>& alsoWrite = {},
                            std::atomic<double>* progress = nullptr, const std::function<bool()>& shouldStop = {});

    /** Reads one copy of the reel into the tracks (resized and prepared at the stored rate)
        and the parameter state. Returns false, changing nothing, when the slot's folder does
        not exist. Attributes are bounded (8, 16 or 24 tracks, at most 3600 s, 8 to 192 kHz);
        a reel the computer's memory cannot hold, or a damaged defect map, still loads (the
        tape shortened, the map empty) and problem receives a note for the user; so does a
        track file that is there but cannot be read, and a copy whose files do not belong
        together. Saves of any copy of the reel that were cut off are finished or undone first
        (ReelFolderWriter::recover). "Recovery" is left alone: only the user's choice or a main
        save removes it. */
    bool readReel (const juce::String& reelName, std::vector<TapeTrack>& tracks,
                   juce::AudioProcessorValueTreeState& state, double deviceSampleRate, double& tapePosition,
                   double& zeroOffset, std::unique_ptr<juce::XmlElement>& rackState,
                   std::unique_ptr<juce::XmlElement>& automation, int slot, juce::String* problem = nullptr);

    /** The stored rate of the main copy's "settings.xml"; 0 when missing or unusable. */
    double readReelSampleRate (const juce::String& reelName) const;

    /** Makes the folder of a new, empty reel: pointer file and a "settings.xml" holding only
        reelLength, numTracks, sampleRate and tapePosition. Refuses a name that
        ReelNames::checkNewReelName refuses and an existing folder, touching nothing. */
    juce::Result createReel (const juce::String& reelName, double lengthSeconds, double sampleRate, int numTracks);

    /** The slot's copy holds a "settings.xml". */
    bool hasSnapshot (const juce::String& reelName, int slot) const;

    /** "Recovery" holds a "settings.xml" that is newer than the main copy's (or the main
        copy has none). */
    bool hasNewerRecovery (const juce::String& reelName) const;

    void deleteRecoveryFolder (const juce::String& reelName);
    void deleteReelFolder (const juce::String& reelName);

private:
    mutable juce::CriticalSection rootLock;

    JUCE_DECLARE_NON_COPYABLE (ReelLibrary)
};
