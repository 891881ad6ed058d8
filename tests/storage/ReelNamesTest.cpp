#include "storage/ReelNames.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
TEST (ReelNames, ScratchNames)
{
    const std::pair<const char*, bool> cases[] = {
        {"Untitled", true},  {"Song (Recovered)", true}, {"SONG (RECOVERED)", true}, {"song(recovered)", true},
        {"untitled", false}, {"Untitled Tape", false},   {"Recovered Song", false},  {"Song (Recovered) 2", false},
    };

    for (const auto& [name, scratch] : cases)
    {
        SCOPED_TRACE (name);
        EXPECT_EQ (ReelNames::isScratchReelName (name), scratch);
    }
}

TEST (ReelNames, FolderNamesThatCannotLeaveTheLibraryAreRefusedWithAReason)
{
    const juce::String refused[] = {
        "",
        ".",
        "..",
        "../Song",
        "Song/Take",
        "Song\\Take",
        "/etc",
        "~",
        "~Song",
        "Song\tTake",
        juce::String ("Line") + juce::String::charToString (0x0a) + "Break",
        juce::String::charToString (0x7f),
        "Song.",
        "Song ",
        "Song. ",
        juce::String::repeatedString ("a", ReelNames::maxNameBytes + 1),
        juce::String::repeatedString (juce::CharPointer_UTF8 ("\xc3\xa9"), ReelNames::maxNameBytes / 2 + 1),
    };

    for (const auto& name : refused)
    {
        SCOPED_TRACE (name);
        const auto result = ReelNames::checkFolderName (name);
        EXPECT_TRUE (result.failed());
        EXPECT_TRUE (result.getErrorMessage().isNotEmpty());
    }

    const juce::String accepted[] = {
        "Song",
        "My Song 2",
        ".hidden",
        "Song.v2",
        "Song~",
        "Take: 1 (final)",
        " Leading space",
        juce::CharPointer_UTF8 ("Caf\xc3\xa9 \xe2\x99\xab"),
        juce::String::repeatedString ("a", ReelNames::maxNameBytes),
    };

    for (const auto& name : accepted)
    {
        SCOPED_TRACE (name);
        EXPECT_TRUE (ReelNames::checkFolderName (name).wasOk()) << ReelNames::checkFolderName (name).getErrorMessage();
    }
}

TEST (ReelNames, NewNamesMustBeFreeAndNotScratch)
{
    const TempDir root;
    root.getFile().getChildFile ("Song").createDirectory();
    root.getFile().getChildFile ("notes.txt").replaceWithText ("a file takes its name too");

    const std::pair<const char*, const char*> refused[] = {
        {"Song", "A tape with this name already exists."},
        {"SONG", "A tape with this name already exists."},
        {"Notes.TXT", "A tape with this name already exists."},
        {"Untitled", nullptr},
        {"untitled", nullptr},
        {"Take (recovered)", nullptr},
        {"shelf_layout.xml", nullptr},
        {"../Song", nullptr},
        {"", nullptr},
    };

    for (const auto& [name, reason] : refused)
    {
        SCOPED_TRACE (name);
        const auto result = ReelNames::checkNewReelName (name, root.getFile());
        EXPECT_TRUE (result.failed());

        if (reason != nullptr)
        {
            EXPECT_EQ (result.getErrorMessage(), reason);
        }
    }

    EXPECT_TRUE (ReelNames::checkNewReelName ("Song 2", root.getFile()).wasOk());
    EXPECT_TRUE (ReelNames::checkNewReelName ("SONG", root.getFile(), "Song").wasOk()) << "a change of case only";
    EXPECT_TRUE (ReelNames::checkNewReelName ("Notes.txt", root.getFile(), "Song").failed());
}

TEST (ReelNames, AnyTextBecomesAUsableFolderName)
{
    const std::pair<juce::String, juce::String> cases[] = {
        {"Song", "Song"},
        {"  Song  ", "Song"},
        {"mix.final", "mix.final"},
        {"a\\b", "a_b"},
        {juce::String ("a") + juce::String::charToString (0x01) + "b", "a_b"},
        {"Song...", "Song"},
        {"Song . .", "Song"},
        {"~Song", "Song"},
        {"..", "Imported Tape"},
        {"", "Imported Tape"},
        {"~", "Imported Tape"},
    };

    for (const auto& [text, expected] : cases)
    {
        SCOPED_TRACE (text);
        EXPECT_EQ (ReelNames::makeFolderNameFrom (text), expected);
        EXPECT_TRUE (ReelNames::checkFolderName (ReelNames::makeFolderNameFrom (text)).wasOk());
    }

    const auto longName = ReelNames::makeFolderNameFrom (juce::String::repeatedString ("a", 400));
    EXPECT_EQ ((int)longName.getNumBytesAsUTF8(), ReelNames::maxNameBytes);
}

TEST (ReelNames, UniqueNamesCountUpFromTheBase)
{
    const TempDir root;
    const auto add = [&] (const char* name) { root.getFile().getChildFile (name).createDirectory(); };

    EXPECT_EQ (ReelNames::makeUniqueReelName ("Song", root.getFile()), "Song");
    add ("Song");
    add ("song (2)");
    EXPECT_EQ (ReelNames::makeUniqueReelName ("Song", root.getFile()), "Song (3)");
    EXPECT_EQ (ReelNames::makeUniqueReelName ("Untitled", root.getFile()), "Untitled (2)");
    EXPECT_EQ (ReelNames::makeUniqueReelName ("Take (Recovered)", root.getFile()), "Take (Recovered) (2)");
    EXPECT_EQ (ReelNames::makeUniqueReelName ("../Song", root.getFile()), "");

    const auto longBase = juce::String::repeatedString ("a", ReelNames::maxNameBytes);
    add (longBase.toRawUTF8());
    const auto longUnique = ReelNames::makeUniqueReelName (longBase, root.getFile());
    EXPECT_TRUE (longUnique.endsWith (" (2)"));
    EXPECT_TRUE (ReelNames::checkFolderName (longUnique).wasOk());
}
} // namespace
