#include "instruments/InstrumentPresets.h"
#include "storage/FactoryPresets.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
struct InstrumentPresetsTest : ::testing::Test
{
    TempDir user{"presets"};

    InstrumentPresets presets (const char* category = "PolySynth") const { return InstrumentPresets (category, user.getFile()); }

    static juce::XmlElement element (double cutoff)
    {
        juce::XmlElement xml (InstrumentPresets::presetTag);
        xml.setAttribute ("osc1Wave", 2);
        xml.setAttribute ("synthCutoff", cutoff);
        return xml;
    }
};

TEST_F (InstrumentPresetsTest, SavedPresetsLoadBackFromEachInstrumentsFolderInTheFileFrame)
{
    for (const char* category : {"MonoBass", "PolySynth", "Tannerin", "StageKeyboard"})
    {
        SCOPED_TRACE (category);
        const auto store = presets (category);
        EXPECT_EQ (store.getFolder(), user.getFile().getChildFile ("Presets").getChildFile (category));

        ASSERT_TRUE (store.save ("Warm Lead", element (1000.0)).wasOk());

        const auto text = store.getFolder().getChildFile ("Warm Lead.xml").loadFileAsString();
        EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n")) << text;
        EXPECT_TRUE (text.contains ("<PRESET osc1Wave=\"2\" synthCutoff=\"1000.0\"/>\r\n")) << text;
        EXPECT_FALSE (text.replace ("\r\n", "").containsChar ('\n'));

        const auto loaded = store.load ("Warm Lead");
        ASSERT_NE (loaded, nullptr);
        EXPECT_EQ (loaded->getDoubleAttribute ("synthCutoff"), 1000.0);
        EXPECT_EQ (store.listNames(), juce::StringArray ("Warm Lead"));

        // Saving under an existing name replaces the file without asking.
        ASSERT_TRUE (store.save ("Warm Lead", element (250.5)).wasOk());
        EXPECT_EQ (store.load ("Warm Lead")->getDoubleAttribute ("synthCutoff"), 250.5);

        EXPECT_TRUE (store.remove ("Warm Lead").wasOk());
        EXPECT_TRUE (store.listNames().isEmpty());
        EXPECT_EQ (store.load ("Warm Lead"), nullptr);
        EXPECT_TRUE (store.remove ("Warm Lead").wasOk()) << "a preset already gone counts as deleted";
    }
}

TEST_F (InstrumentPresetsTest, ListsOnlyPresetFilesDirectlyInTheFolderSortedIgnoringCase)
{
    const auto store = presets();
    EXPECT_TRUE (store.listNames().isEmpty());
    ASSERT_TRUE (store.getFolder().isDirectory()) << "listing makes the folder";

    for (const char* name : {"bass", "Acid", "Old.Lead"})
        ASSERT_TRUE (store.save (name, element (500.0)).wasOk());

    store.getFolder().getChildFile ("notes.txt").replaceWithText ("not a preset");
    store.getFolder().getChildFile ("Sub").createDirectory();
    store.getFolder().getChildFile ("Sub/Deep.xml").replaceWithText ("<PRESET/>");
    store.getFolder().getChildFile (".Hidden.xml").replaceWithText ("<PRESET/>");

    EXPECT_EQ (store.listNames(), juce::StringArray ({"Acid", "bass", "Old.Lead"}));
}

TEST_F (InstrumentPresetsTest, ReadsAnyRootElementAndIgnoresBrokenFiles)
{
    const auto store = presets();
    store.getFolder().createDirectory();
    store.getFolder().getChildFile ("Other.xml").replaceWithText ("<SOUND synthCutoff=\"80\"/>");
    store.getFolder().getChildFile ("Broken.xml").replaceWithText ("<PRESET synthCutoff=");
    store.getFolder().getChildFile ("Entity.xml").replaceWithText ("<!DOCTYPE x [<!ENTITY e SYSTEM \"/etc/passwd\">]><PRESET a=\"&e;\"/>");

    ASSERT_NE (store.load ("Other"), nullptr);
    EXPECT_EQ (store.load ("Other")->getDoubleAttribute ("synthCutoff"), 80.0);
    EXPECT_EQ (store.load ("Broken"), nullptr);
    EXPECT_EQ (store.load ("Entity"), nullptr);
}

TEST_F (InstrumentPresetsTest, FactoryPresetsShareTheFrame)
{
    ASSERT_GT (FactoryPresets::installMonoBassPresets (user.getFile()), 0);
    const auto store = presets ("MonoBass");

    const auto names = store.listNames();
    ASSERT_TRUE (names.contains ("Acid Squorch"));
    const auto loaded = store.load ("Acid Squorch");
    ASSERT_NE (loaded, nullptr);
    EXPECT_EQ (loaded->getDoubleAttribute ("synthCutoff"), 80.0);

    // What we save reads back through the same writer's frame.
    ASSERT_TRUE (store.save ("Copy", *loaded).wasOk());
    EXPECT_EQ (store.getFolder().getChildFile ("Copy.xml").loadFileAsString(),
               store.getFolder().getChildFile ("Acid Squorch.xml").loadFileAsString());
}

TEST_F (InstrumentPresetsTest, NamesThatAreNoLegalFileNameNeverReachOutsideTheFolder)
{
    const auto store = presets();
    const auto presetsRoot = user.getFile().getChildFile ("Presets");
    presetsRoot.getChildFile ("MonoBass").createDirectory();
    const auto victim = presetsRoot.getChildFile ("MonoBass/Victim.xml");
    victim.replaceWithText ("<PRESET synthCutoff=\"80\"/>");
    const auto outside = user.getFile().getChildFile ("Outside.xml");
    outside.replaceWithText ("<PRESET/>");

    for (const char* name : {"", "../MonoBass/Victim", "..", "../../Outside", "..\\Outside", "a/b", "/tmp/x",
                             ".hidden", "trailing.", "trailing ", "a:b", "a*b", "q?", "pipe|", "<x>", "quote\"",
                             "tab\tname", "line\nname"})
    {
        SCOPED_TRACE (juce::String (name).replace ("\n", "\\n"));
        EXPECT_FALSE (InstrumentPresets::isLegalName (name));
        EXPECT_EQ (store.getPresetFile (name), juce::File());
        EXPECT_EQ (store.load (name), nullptr);

        const auto saved = store.save (name, element (1.0));
        EXPECT_TRUE (saved.failed());
        EXPECT_TRUE (saved.getErrorMessage().contains ("could not be saved")) << saved.getErrorMessage();
        EXPECT_TRUE (store.remove (name).failed());
    }

    EXPECT_TRUE (victim.existsAsFile());
    EXPECT_TRUE (outside.existsAsFile());
    EXPECT_EQ (victim.loadFileAsString(), "<PRESET synthCutoff=\"80\"/>");
    EXPECT_EQ (user.getFile().findChildFiles (juce::File::findFiles, true, "*.xml").size(), 2);

    for (const char* name : {"Acid", "Old.Lead", "Dots..Middle", "Ünïcode Pad", "Bass #2 (wet), 50%"})
    {
        SCOPED_TRACE (name);
        EXPECT_TRUE (InstrumentPresets::isLegalName (name));
        EXPECT_TRUE (store.save (name, element (1.0)).wasOk());
    }

    EXPECT_FALSE (InstrumentPresets::isLegalName (juce::String::repeatedString ("x", InstrumentPresets::maximumNameLength + 1)));
}

TEST_F (InstrumentPresetsTest, LinksLeadingOutOfTheFolderAreNotPresets)
{
    const auto store = presets();
    store.getFolder().createDirectory();
    const auto outside = user.getFile().getChildFile ("Secret.xml");
    outside.replaceWithText ("<PRESET secret=\"1\"/>");
    ASSERT_TRUE (outside.createSymbolicLink (store.getFolder().getChildFile ("Link.xml"), true));

    EXPECT_TRUE (store.listNames().isEmpty());
    EXPECT_EQ (store.load ("Link"), nullptr);
    EXPECT_TRUE (store.save ("Link", element (2.0)).failed());
    EXPECT_EQ (outside.loadFileAsString(), "<PRESET secret=\"1\"/>");
}

TEST_F (InstrumentPresetsTest, AFailedSaveIsReportedAndKeepsWhatWasThere)
{
    // The instrument's folder cannot be made: a file sits where it should be.
    user.getFile().getChildFile ("Presets").createDirectory();
    user.getFile().getChildFile ("Presets/Tannerin").replaceWithText ("in the way");
    const auto blocked = presets ("Tannerin").save ("Lead", element (1.0));
    EXPECT_TRUE (blocked.failed());
    EXPECT_TRUE (blocked.getErrorMessage().contains ("\"Lead\"")) << blocked.getErrorMessage();

    // A folder named like the preset file.
    const auto store = presets();
    store.getFolder().getChildFile ("Pad.xml").createDirectory();
    EXPECT_TRUE (store.save ("Pad", element (1.0)).failed());
    EXPECT_TRUE (store.getFolder().getChildFile ("Pad.xml").isDirectory());
}
} // namespace
