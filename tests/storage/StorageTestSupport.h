#pragma once

#include "platform/Platform.h"
#include "storage/ReelLibrary.h"
#include "storage/StorageIds.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace juce
{
// Readable failure messages for the JUCE types the storage tests compare.
inline void PrintTo (const String& s, std::ostream* os)
{
    *os << '"' << s << '"';
}
inline void PrintTo (const StringArray& a, std::ostream* os)
{
    *os << "{ \"" << a.joinIntoString ("\", \"") << "\" }";
}
} // namespace juce

/** A fresh per-user folder and music folder for each test, and a library on them. */
class LibraryTest : public ::testing::Test
{
protected:
    TempDir temp{"dravin8-storage"};
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};

    juce::File defaultRoot() const
    {
        return (temp / "music").getChildFile ("Velmora").getChildFile ("Dravin 8").getChildFile ("Reels");
    }

    std::unique_ptr<ReelLibrary> makeLibrary() const { return std::make_unique<ReelLibrary>(); }

    /** A reel folder written by hand: "settings.xml" with the given attributes (none when
        settingsAttributes is null), the pointer file and the given extra files. */
    static juce::File writeReel (const juce::File& root, const juce::String& name,
                                 const juce::StringPairArray* settingsAttributes,
                                 const std::map<juce::String, juce::String>& files = {})
    {
        auto folder = root.getChildFile (name);
        folder.createDirectory();

        if (settingsAttributes != nullptr)
        {
            juce::XmlElement settings ("PARAMETERS");

            for (const auto& key : settingsAttributes->getAllKeys())
                settings.setAttribute (key, (*settingsAttributes)[key]);

            settings.writeTo (folder.getChildFile (StorageIds::settingsFile));
        }

        folder.getChildFile (name + StorageIds::pointerExtension)
            .replaceWithText (juce::String (StorageIds::pointerText) + "\r\n");

        for (const auto& [path, content] : files)
        {
            auto f = folder.getChildFile (path);
            f.getParentDirectory().createDirectory();
            f.replaceWithText (content);
        }

        return folder;
    }

    static juce::File writeReel (const juce::File& root, const juce::String& name)
    {
        juce::StringPairArray attributes;
        attributes.set ("reelLength", "600.0");
        attributes.set ("numTracks", "8");
        attributes.set ("sampleRate", "48000.0");
        attributes.set ("tapePosition", "0.0");
        return writeReel (root, name, &attributes);
    }

    /** Sets a folder's last-write time, minutes after a fixed point, so that ages are known. */
    static void setAge (const juce::File& folder, int minutes)
    {
        folder.setLastModificationTime (juce::Time (2024, 2, 10, 12, 0) + juce::RelativeTime::minutes (minutes));
    }

    /** Every file under folder by relative path, with its bytes. */
    static std::map<juce::String, juce::MemoryBlock> readTree (const juce::File& folder)
    {
        std::map<juce::String, juce::MemoryBlock> tree;

        for (const auto& f : folder.findChildFiles (juce::File::findFiles, true, "*"))
        {
            juce::MemoryBlock bytes;
            f.loadFileAsData (bytes);
            tree[f.getRelativePathFrom (folder)] = bytes;
        }

        return tree;
    }

    /** Names of the folders and files directly in folder. */
    static juce::StringArray childNames (const juce::File& folder)
    {
        juce::StringArray names;

        for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*"))
            names.add (f.getFileName());

        names.sort (false);
        return names;
    }
};
