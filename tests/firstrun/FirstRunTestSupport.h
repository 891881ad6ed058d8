#pragma once

#include "platform/Platform.h"
#include "storage/FactoryPresets.h"
#include "storage/FirstRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace juce
{
inline void PrintTo (const String& s, std::ostream* os)
{
    *os << '"' << s << '"';
}
inline void PrintTo (const StringArray& a, std::ostream* os)
{
    *os << "{ \"" << a.joinIntoString ("\", \"") << "\" }";
}
} // namespace juce

/** A fresh per-user folder and library root for each test. */
class FirstRunTest : public ::testing::Test
{
protected:
    TempDir temp{"dravin8-firstrun"};
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    juce::File userFolder = temp / "user";
    juce::File root = temp / "library";

    void SetUp() override
    {
        userFolder.createDirectory();
        root.createDirectory();
    }

    juce::File presetFolder (const char* instrumentFolder) const
    {
        return userFolder.getChildFile ("Presets").getChildFile (instrumentFolder);
    }

    juce::File demo() const { return root.getChildFile ("Demo"); }

    /** Relative path ('/'-joined) to modification time of every file under folder. */
    static std::map<juce::String, juce::int64> snapshot (const juce::File& folder)
    {
        std::map<juce::String, juce::int64> files;

        for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, true, "*"))
            files[f.getRelativePathFrom (folder).replaceCharacter ('\\', '/')] =
                f.isDirectory() ? 0 : f.getLastModificationTime().toMilliseconds();

        return files;
    }

    /** Names of everything directly in folder, hidden ones included, sorted. */
    static juce::StringArray childNames (const juce::File& folder)
    {
        juce::StringArray names;

        for (const auto& f : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*"))
            names.add (f.getFileName());

        names.sort (false);
        return names;
    }
};
