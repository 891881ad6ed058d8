#include "tests/firstrun/FirstRunTestSupport.h"

namespace
{
juce::String lines (std::initializer_list<const char*> parts)
{
    juce::String text;

    for (auto* p : parts)
        text << p << "\r\n";

    return text;
}

juce::StringArray attributeNames (const juce::XmlElement& xml)
{
    juce::StringArray names;

    for (int i = 0; i < xml.getNumAttributes(); ++i)
        names.add (xml.getAttributeName (i));

    return names;
}

juce::String attributeValues (const juce::XmlElement& xml)
{
    juce::StringArray values;

    for (int i = 0; i < xml.getNumAttributes(); ++i)
        values.add (xml.getAttributeValue (i));

    return values.joinIntoString (", ");
}

// The preset file formats as the instrument editors read them: attribute, kind ('i' integer,
// 'f' flag, 'r' real) and the editor control's range.
struct Attribute
{
    const char* name;
    char kind;
    double minimum, maximum;
};

struct Format
{
    const char* folder;
    int presetCount;
    std::vector<Attribute> attributes;
};

const std::vector<Format>& formats()
{
    static const std::vector<Format> all{
        {"MonoBass", 21, {{"globalOctave", 'i', -3, 3}, {"globalTune", 'r', -100, 100},
                          {"osc1Wave", 'i', 0, 2},      {"osc2Wave", 'i', 0, 2},
                          {"osc2Tune", 'r', -24, 24},   {"osc1Mix", 'r', 0, 1},
                          {"osc2Mix", 'r', 0, 1},       {"noiseMix", 'r', 0, 1},
                          {"synthGlide", 'r', 0, 1000}, {"synthCutoff", 'r', 20, 20000},
                          {"synthRes", 'r', 0, 0.95},   {"synthEnvMod", 'r', 0, 10000},
                          {"fEnvA", 'r', 1, 5000},      {"fEnvD", 'r', 10, 5000},
                          {"fEnvS", 'r', 0, 1},         {"fEnvR", 'r', 10, 5000},
                          {"aEnvA", 'r', 2, 5000},      {"aEnvD", 'r', 10, 5000},
                          {"aEnvS", 'r', 0, 1},         {"aEnvR", 'r', 10, 5000},
                          {"lfoRate", 'r', 0.1, 50},    {"lfoAmt", 'r', 0, 1},
                          {"lfoTarget", 'i', 0, 1}}},
        {"PolySynth", 21, {{"masterVol", 'r', 0, 2},         {"globalTune", 'r', -100, 100},
                           {"glide", 'r', 0, 1000},          {"velSens", 'r', 0, 1},
                           {"polyModFEnvFreqA", 'r', 0, 24}, {"polyModOscBFreqA", 'r', 0, 24},
                           {"polyModOscBFilter", 'r', 0, 1}, {"polyModOscBPW", 'r', 0, 1},
                           {"osc1Octave", 'i', -2, 2},       {"osc1Wave", 'i', 0, 3},
                           {"osc1PW", 'r', 0.05, 0.95},      {"osc1Mix", 'r', 0, 1},
                           {"syncMode", 'f', 0, 1},          {"osc2LfoMode", 'f', 0, 1},
                           {"osc2KeyTrack", 'f', 0, 1},      {"osc2Octave", 'i', -2, 2},
                           {"osc2Wave", 'i', 0, 3},          {"osc2Fine", 'r', -100, 100},
                           {"osc2PW", 'r', 0.05, 0.95},      {"osc2Mix", 'r', 0, 1},
                           {"noiseMix", 'r', 0, 1},          {"synthCutoff", 'r', 20, 20000},
                           {"synthRes", 'r', 0, 0.95},       {"synthEnvMod", 'r', 0, 10000},
                           {"filterKeyTrack", 'r', 0, 1},    {"fEnvA", 'r', 1, 5000},
                           {"fEnvD", 'r', 10, 5000},         {"fEnvS", 'r', 0, 1},
                           {"fEnvR", 'r', 10, 5000},         {"aEnvA", 'r', 2, 5000},
                           {"aEnvD", 'r', 10, 5000},         {"aEnvS", 'r', 0, 1},
                           {"aEnvR", 'r', 10, 5000},         {"lfoWave", 'i', 0, 3},
                           {"lfoRate", 'r', 0.01, 50},       {"lfoAmt", 'r', 0, 1},
                           {"lfoTarget", 'i', 0, 2}}},
        {"Tannerin", 20, {{"masterVol", 'r', 0, 1},   {"slidePitch", 'r', 36, 84},    {"globalOctave", 'i', -3, 3},
                          {"waveShape", 'i', 0, 2},   {"osc2Wave", 'i', 0, 2},        {"osc1Mix", 'r', 0, 1},
                          {"osc2Mix", 'r', 0, 1},     {"osc2Tune", 'r', -24, 24},     {"osc2Fine", 'r', -100, 100},
                          {"gateLatch", 'f', 0, 1},   {"filterType", 'i', 0, 2},      {"synthCutoff", 'r', 20, 20000},
                          {"synthRes", 'r', 0, 0.95}, {"synthEnvMod", 'r', 0, 10000}, {"fEnvA", 'r', 1, 2000},
                          {"fEnvD", 'r', 10, 2000},   {"fEnvS", 'r', 0, 1},           {"fEnvR", 'r', 10, 2000},
                          {"aEnvA", 'r', 2, 2000},    {"aEnvD", 'r', 10, 2000},       {"aEnvS", 'r', 0, 1},
                          {"aEnvR", 'r', 10, 2000},   {"lfoRate", 'r', 1, 20},        {"lfoAmt", 'r', 0, 2},
                          {"lfoDelay", 'r', 0, 2000}, {"lfoAttack", 'r', 0, 2000}}},
        {"StageKeyboard",
         10,
         {{"masterVol", 'r', 0, 2},
          {"model", 'i', 0, 5},
          {"drive", 'r', 0, 1},
          {"bass", 'r', -1, 1},
          {"treble", 'r', -1, 1},
          {"tremRate", 'r', 0.1, 15},
          {"tremDepth", 'r', 0, 1}}},
    };

    return all;
}

// The rows the factory tables must hold exactly, every attribute in file order.
struct GivenRow
{
    const char* folder;
    const char* preset;
    const char* values;
};

const GivenRow givenRows[] = {
    {"StageKeyboard", "Classic Suitcase", "1.0, 0, 0.1, 0.2, -0.1, 3.5, 0.4"},
    {"StageKeyboard", "Eighties FM Ballad", "1.0, 3, 0.0, 0.4, 0.5, 2.5, 0.2"},
    {"StageKeyboard", "Gritty Tonewheel", "0.9, 4, 0.5, 0.2, 0.2, 6.0, 0.3"},
    {"StageKeyboard", "Ice Rink FM", "1.0, 3, 0.0, -0.4, 0.8, 4.0, 0.5"},
    {"StageKeyboard", "Jazz Club Wurli", "1.0, 1, 0.4, 0.6, -0.2, 4.0, 0.2"},
    {"StageKeyboard", "Overdriven Reed", "0.8, 1, 0.8, 0.2, 0.4, 0.0, 0.0"},
    {"StageKeyboard", "Reggae Bubble Organ", "1.0, 4, 0.1, 0.2, 0.6, 0.0, 0.0"},
    {"StageKeyboard", "Saloon Tack", "0.8, 2, 0.1, -0.3, 0.8, 0.0, 0.0"},
    {"StageKeyboard", "Sixties Transistor", "0.9, 5, 0.3, -0.2, 0.5, 8.0, 0.6"},
    {"StageKeyboard", "Tremolo Wash Rhodes", "1.0, 0, 0.1, 0.4, -0.2, 1.5, 0.9"},
    {"MonoBass", "Acid Squorch",
     "-1, 0.0, 0, 0, 0.0, 1.0, 0.0, 0.0, 60.0, 80.0, 0.88, 6000.0, 15.0, 400.0, 0.1, 300.0, 5.0, 400.0, 0.8, "
     "300.0, 5.0, 0.0, 0"},
    {"MonoBass", "Dubstep Wobble",
     "-1, 0.0, 0, 0, -12.0, 1.0, 0.5, 0.0, 0.0, 100.0, 0.7, 4000.0, 10.0, 100.0, 1.0, 100.0, 10.0, 100.0, 1.0, "
     "100.0, 6.5, 0.9, 1"},
    {"PolySynth", "Electric Piano FM",
     "0.9, 0.0, 0.0, 0.9, 0.0, 18.0, 0.0, 0.0, 0, 3, 0.5, 1.0, 0, 0, 1, 2, 3, 2.0, 0.5, 0.0, 0.0, 6000.0, 0.0, "
     "0.0, 1.0, 2.0, 1500.0, 0.0, 800.0, 2.0, 1500.0, 0.0, 800.0, 0, 5.0, 0.02, 0"},
    {"PolySynth", "Sync Sweep Lead",
     "0.8, 0.0, 20.0, 0.7, 18.0, 0.0, 0.0, 0.0, 1, 0, 0.5, 1.0, 1, 0, 1, 0, 0, 0.0, 0.5, 0.0, 0.0, 4000.0, 0.2, "
     "0.0, 1.0, 10.0, 600.0, 0.0, 100.0, 5.0, 500.0, 0.8, 150.0, 0, 5.0, 0.0, 0"},
    {"Tannerin", "Classic Theremin",
     "1.0, 60.0, 1, 0, 0, 1.0, 0.0, 0.0, 0.0, 0, 0, 8000.0, 0.1, 0.0, 300.0, 500.0, 1.0, 800.0, 300.0, 500.0, "
     "1.0, 800.0, 6.0, 0.6, 400.0, 500.0"},
    {"Tannerin", "Alien Transmission",
     "0.9, 84.0, 2, 2, 1, 0.5, 0.5, 7.0, 0.0, 1, 2, 4000.0, 0.8, 0.0, 50.0, 100.0, 1.0, 200.0, 50.0, 100.0, 1.0, "
     "200.0, 20.0, 1.5, 0.0, 0.0"},
};

std::unique_ptr<juce::XmlElement> readPreset (const juce::File& folder, const juce::String& name)
{
    return juce::parseXML (folder.getChildFile (name + ".xml"));
}

void installAll (const juce::File& userFolder)
{
    for (const auto* instrument : FactoryPresets::allInstruments())
        FactoryPresets::installPresets (*instrument, userFolder);
}
} // namespace

TEST_F (FirstRunTest, FirstInstallWritesEveryFactoryPresetInItsInstrumentFolder)
{
    EXPECT_EQ (FactoryPresets::installMonoBassPresets (userFolder), 21);
    EXPECT_EQ (FactoryPresets::installPolySynthPresets (userFolder), 21);
    EXPECT_EQ (FactoryPresets::installTannerinPresets (userFolder), 20);
    EXPECT_EQ (FactoryPresets::installStageKeyboardPresets (userFolder), 10);

    EXPECT_EQ (childNames (userFolder.getChildFile ("Presets")),
               juce::StringArray ({"MonoBass", "PolySynth", "StageKeyboard", "Tannerin"}));

    for (const auto& format : formats())
    {
        SCOPED_TRACE (format.folder);
        const auto names = childNames (presetFolder (format.folder));
        EXPECT_EQ (names.size(), format.presetCount) << names.joinIntoString (", ");

        for (const auto& name : names)
            EXPECT_TRUE (name.endsWith (".xml") && ! name.startsWith (".")) << name;
    }

    // Names that are easy to get wrong as file names.
    EXPECT_TRUE (presetFolder ("PolySynth").getChildFile ("Dunmere Brass.xml").existsAsFile());
    EXPECT_TRUE (presetFolder ("PolySynth").getChildFile ("Nineteen Eighty-Four Brass.xml").existsAsFile());
    EXPECT_TRUE (presetFolder ("MonoBass").getChildFile ("Smooth Corvish Lead.xml").existsAsFile());
    EXPECT_TRUE (presetFolder ("MonoBass").getChildFile ("G-Funk Lead.xml").existsAsFile());
    EXPECT_TRUE (presetFolder ("Tannerin").getChildFile ("Sci-Fi UFO.xml").existsAsFile());
}

TEST_F (FirstRunTest, PresetFilesAreJuceDefaultXmlTextByteForByte)
{
    installAll (userFolder);

    // Attributes wrap once a line has passed 60 columns; continuation lines are indented
    // by the tag's width.
    EXPECT_EQ (presetFolder ("StageKeyboard").getChildFile ("Classic Suitcase.xml").loadFileAsString(),
               lines ({R"(<?xml version="1.0" encoding="UTF-8"?>)", "",
                       R"(<PRESET masterVol="1.0" model="0" drive="0.1" bass="0.2" treble="-0.1")",
                       R"(        tremRate="3.5" tremDepth="0.4"/>)"}));

    EXPECT_EQ (presetFolder ("MonoBass").getChildFile ("Acid Squorch.xml").loadFileAsString(),
               lines ({R"(<?xml version="1.0" encoding="UTF-8"?>)", "",
                       R"(<PRESET globalOctave="-1" globalTune="0.0" osc1Wave="0" osc2Wave="0")",
                       R"(        osc2Tune="0.0" osc1Mix="1.0" osc2Mix="0.0" noiseMix="0.0" synthGlide="60.0")",
                       R"(        synthCutoff="80.0" synthRes="0.88" synthEnvMod="6000.0" fEnvA="15.0")",
                       R"(        fEnvD="400.0" fEnvS="0.1" fEnvR="300.0" aEnvA="5.0" aEnvD="400.0")",
                       R"(        aEnvS="0.8" aEnvR="300.0" lfoRate="5.0" lfoAmt="0.0" lfoTarget="0"/>)"}));
}

TEST_F (FirstRunTest, GivenFactoryRowsAreWrittenExactly)
{
    installAll (userFolder);

    for (const auto& row : givenRows)
    {
        SCOPED_TRACE (juce::String (row.folder) + "/" + row.preset);
        const auto xml = readPreset (presetFolder (row.folder), row.preset);
        ASSERT_NE (xml, nullptr);
        EXPECT_EQ (attributeValues (*xml), juce::String (row.values));
    }
}

TEST_F (FirstRunTest, EveryPresetHasItsInstrumentsAttributesInOrderWithValuesInRange)
{
    installAll (userFolder);

    for (const auto& format : formats())
    {
        juce::StringArray expectedNames;

        for (const auto& a : format.attributes)
            expectedNames.add (a.name);

        for (const auto& file : presetFolder (format.folder).findChildFiles (juce::File::findFiles, false, "*.xml"))
        {
            SCOPED_TRACE (juce::String (format.folder) + "/" + file.getFileName());
            const auto xml = juce::parseXML (file);
            ASSERT_NE (xml, nullptr);
            EXPECT_EQ (xml->getTagName(), "PRESET");
            EXPECT_EQ (xml->getNumChildElements(), 0);
            EXPECT_EQ (attributeNames (*xml), expectedNames);

            for (const auto& a : format.attributes)
            {
                SCOPED_TRACE (a.name);
                const auto text = xml->getStringAttribute (a.name);
                const auto value = text.getDoubleValue();

                // Reals always carry a decimal point ("60.0"); integers and flags never do.
                EXPECT_EQ (a.kind == 'r', text.containsChar ('.')) << text;
                EXPECT_TRUE (text.containsOnly ("-0123456789.")) << text;

                if (a.kind == 'f')
                {
                    EXPECT_TRUE (text == "0" || text == "1") << text;
                }

                // The stage keyboard presets without tremolo write a rate of 0.0, as given.
                if (juce::String (a.name) == "tremRate" && value == 0.0)
                {
                    EXPECT_EQ (xml->getStringAttribute ("tremDepth"), "0.0");
                }
                else
                {
                    EXPECT_TRUE (value >= a.minimum && value <= a.maximum) << text;
                }
            }
        }
    }
}

TEST_F (FirstRunTest, PolyPresetsKeepOscillatorBNormalAndOnlySyncSweepLeadSyncs)
{
    installAll (userFolder);

    for (const auto& file : presetFolder ("PolySynth").findChildFiles (juce::File::findFiles, false, "*.xml"))
    {
        SCOPED_TRACE (file.getFileName());
        const auto xml = juce::parseXML (file);
        ASSERT_NE (xml, nullptr);
        EXPECT_EQ (xml->getStringAttribute ("osc2LfoMode"), "0");
        EXPECT_EQ (xml->getStringAttribute ("osc2KeyTrack"), "1");
        EXPECT_EQ (xml->getStringAttribute ("syncMode"),
                   file.getFileNameWithoutExtension() == "Sync Sweep Lead" ? "1" : "0");
    }
}

TEST_F (FirstRunTest, PresetsOfOneInstrumentDifferAndEveryRowFillsItsTable)
{
    for (const auto* instrument : FactoryPresets::allInstruments())
    {
        SCOPED_TRACE (instrument->folderName);
        const auto columns = std::count_if (instrument->settings.begin(), instrument->settings.end(),
                                            [] (const auto& s) { return s.fixedText == nullptr; });
        std::set<std::vector<double>> distinct;

        for (const auto& preset : instrument->presets)
        {
            EXPECT_EQ ((long)preset.values.size(), (long)columns) << preset.name;
            EXPECT_TRUE (distinct.insert (preset.values).second) << preset.name << " repeats another preset";
        }
    }
}

TEST_F (FirstRunTest, SecondInstallWritesNothingAndKeepsUserEdits)
{
    installAll (userFolder);

    // Edited by the user through the preset menu's save.
    const auto edited = presetFolder ("Tannerin").getChildFile ("Glass Armonica.xml");
    edited.replaceWithText ("<PRESET masterVol=\"0.5\"/>");

    const juce::Time longAgo (2001, 0, 1, 12, 0);

    for (const auto& f : userFolder.findChildFiles (juce::File::findFiles, true, "*"))
        f.setLastModificationTime (longAgo);

    const auto before = snapshot (userFolder);

    for (const auto* instrument : FactoryPresets::allInstruments())
        EXPECT_EQ (FactoryPresets::installPresets (*instrument, userFolder), 0) << instrument->folderName;

    EXPECT_EQ (snapshot (userFolder), before);
    EXPECT_EQ (edited.loadFileAsString(), "<PRESET masterVol=\"0.5\"/>");
}

TEST_F (FirstRunTest, DeletedFactoryPresetIsRestoredAlone)
{
    installAll (userFolder);

    const auto folder = presetFolder ("StageKeyboard");
    const auto deleted = folder.getChildFile ("Saloon Tack.xml");
    const auto original = deleted.loadFileAsString();
    ASSERT_TRUE (deleted.deleteFile());

    const juce::Time longAgo (2001, 0, 1, 12, 0);

    for (const auto& f : userFolder.findChildFiles (juce::File::findFiles, true, "*"))
        f.setLastModificationTime (longAgo);

    auto expected = snapshot (userFolder);

    EXPECT_EQ (FactoryPresets::installStageKeyboardPresets (userFolder), 1);
    EXPECT_EQ (deleted.loadFileAsString(), original);

    auto after = snapshot (userFolder);
    ASSERT_EQ (after.count ("Presets/StageKeyboard/Saloon Tack.xml"), 1u);
    after.erase ("Presets/StageKeyboard/Saloon Tack.xml");
    EXPECT_EQ (after, expected);
}

TEST_F (FirstRunTest, BlockedInstrumentFolderSkipsOnlyThatInstrument)
{
    // A file where the folder should be, and a folder where one preset file should be.
    userFolder.getChildFile ("Presets").createDirectory();
    ASSERT_TRUE (userFolder.getChildFile ("Presets/Tannerin").replaceWithText ("not a folder"));
    ASSERT_TRUE (presetFolder ("MonoBass").getChildFile ("Laser Zap.xml").createDirectory());

    EXPECT_EQ (FactoryPresets::installTannerinPresets (userFolder), 0);
    EXPECT_EQ (FactoryPresets::installMonoBassPresets (userFolder), 20);
    EXPECT_TRUE (presetFolder ("MonoBass").getChildFile ("Laser Zap.xml").isDirectory());
    EXPECT_EQ (userFolder.getChildFile ("Presets/Tannerin").loadFileAsString(), "not a folder");
    EXPECT_EQ (FactoryPresets::installStageKeyboardPresets (userFolder), 10);
}

TEST_F (FirstRunTest, DefaultFolderIsThePerUserFolder)
{
    EXPECT_EQ (FactoryPresets::installStageKeyboardPresets(), 10);
    EXPECT_TRUE (Platform::getUserDataFolder().getChildFile ("Presets/StageKeyboard/Ice Rink FM.xml").existsAsFile());
}
