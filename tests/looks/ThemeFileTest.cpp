#include "tests/support/TempDir.h"
#include "ui/looks/LookIds.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/looks/ThemeFile.h"

#include <gtest/gtest.h>

namespace
{
struct ThemeFileFixture : public ::testing::Test
{
    TempDir folder{"dravin8-theme"};
    juce::File file = folder / "modern_theme.xml";

    void writeText (const juce::String& text) { ASSERT_TRUE (file.replaceWithText (text)); }

    std::unique_ptr<juce::XmlElement> readBack() { return juce::parseXML (file); }
};
} // namespace

TEST_F (ThemeFileFixture, SavedThemeRoundTripsWithItsSwitchesAndForeignAttributes)
{
    writeText ("<?xml version=\"1.0\"?>\n<THEME useModernUI=\"1\" showDustCover=\"0\" lastUser=\"kim\"/>");

    ModernLookAndFeel look;
    look.cBg = 0xff0a0b0c;
    look.cChassis1 = 0x01020304;
    look.cChassis2 = 0xffe4e8eb;
    look.cStrip = 0x80ABCDEF;
    look.cAccent = 0xff1abc9c;
    look.cDark = 0xff000000;
    look.cRed = 0x00000001;
    look.saveTheme (file);

    const auto xml = readBack();
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "THEME");
    EXPECT_EQ (xml->getStringAttribute ("cBg"), "ff0a0b0c");
    EXPECT_EQ (xml->getStringAttribute ("cChassis1"), "1020304"); // no leading zeros
    EXPECT_EQ (xml->getStringAttribute ("cStrip"), "80abcdef");   // lower case
    EXPECT_EQ (xml->getStringAttribute ("cDark"), "ff000000");
    EXPECT_EQ (xml->getStringAttribute ("cRed"), "1");
    EXPECT_EQ (xml->getStringAttribute ("useModernUI"), "1");
    EXPECT_EQ (xml->getStringAttribute ("showDustCover"), "0");
    EXPECT_EQ (xml->getStringAttribute ("lastUser"), "kim");

    // The framework's default text format: declaration, CRLF line ends.
    const auto text = file.loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE (text.contains ("\r\n"));

    ModernLookAndFeel reread;
    reread.loadTheme (file);
    EXPECT_EQ (reread.cBg, 0xff0a0b0cu);
    EXPECT_EQ (reread.cChassis1, 0x01020304u);
    EXPECT_EQ (reread.cStrip, 0x80abcdefu);
    EXPECT_EQ (reread.cDark, 0xff000000u);
    EXPECT_EQ (reread.cRed, 0x00000001u);
}

TEST_F (ThemeFileFixture, ReadingKeepsWhatTheFileDoesNotSay)
{
    ModernLookAndFeel look;
    look.setDarkMode (false);
    ThemeFile::getFile().deleteFile();

    // Only the accent, written with a prefix and upper-case digits.
    writeText ("<THEME cAccent=\"0xFF123456\"/>");
    look.loadTheme (file);
    EXPECT_EQ (look.cAccent, 0xff123456u);
    EXPECT_EQ (look.cBg, 0xffe2e5e7u);
    EXPECT_EQ (look.cDark, 0xff34495eu);

    // The root's name does not matter; junk reads as the digits it holds.
    writeText ("<OTHER cRed=\"zz9\" cDark=\"xyz\"/>");
    look.loadTheme (file);
    EXPECT_EQ (look.cRed, 0x9u);
    EXPECT_EQ (look.cDark, 0u);

    // A file that is not XML, one that reaches for other files, or none at all, changes nothing.
    writeText ("<!DOCTYPE THEME [<!ENTITY a SYSTEM \"/etc/hostname\">]><THEME cAccent=\"&a;\" cRed=\"1\"/>");
    look.loadTheme (file);
    EXPECT_EQ (look.cAccent, 0xff123456u);
    EXPECT_EQ (look.cRed, 0x9u);
    writeText ("this is not < xml");
    look.loadTheme (file);
    EXPECT_EQ (look.cAccent, 0xff123456u);
    file.deleteFile();
    look.loadTheme (file);
    EXPECT_EQ (look.cAccent, 0xff123456u);
}

TEST (ThemeFile, ParsesColoursAsTheLastEightHexDigits)
{
    struct Case
    {
        const char* text;
        juce::uint32 expected;
    };

    const Case cases[] = {{"ffe2e5e7", 0xffe2e5e7}, {"0xFFE2E5E7", 0xffe2e5e7}, {"#1abc9c", 0x1abc9c},
                          {"123456789a", 0x3456789a}, {"", 0}, {"xyz", 0}};

    for (const auto& c : cases)
        EXPECT_EQ (ThemeFile::parseColour (c.text), c.expected) << c.text;
}

TEST_F (ThemeFileFixture, WritingASwitchKeepsColoursAndTheOtherSwitch)
{
    ModernLookAndFeel look;
    look.setDarkMode (true);
    ThemeFile::getFile().deleteFile();
    look.saveTheme (file);
    ASSERT_TRUE (ThemeFile::writeSwitch (LookIds::useModernUI, true, false, file));
    ASSERT_TRUE (ThemeFile::writeSwitch (LookIds::showDustCover, false, false, file));

    const auto xml = readBack();
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("cBg"), "ff181818");
    EXPECT_EQ (xml->getStringAttribute ("useModernUI"), "1");
    EXPECT_EQ (xml->getStringAttribute ("showDustCover"), "0");
    EXPECT_TRUE (ThemeFile::readSwitch (LookIds::useModernUI, false, file));
    EXPECT_FALSE (ThemeFile::readSwitch (LookIds::showDustCover, true, file));

    // A broken file gives way to a new THEME holding just the switch.
    writeText ("<<<");
    ASSERT_TRUE (ThemeFile::writeSwitch (LookIds::showDustCover, true, false, file));
    const auto fresh = readBack();
    ASSERT_NE (fresh, nullptr);
    EXPECT_EQ (fresh->getTagName(), "THEME");
    EXPECT_EQ (fresh->getNumAttributes(), 1);
    EXPECT_TRUE (ThemeFile::readSwitch (LookIds::showDustCover, false, file));

    // Missing file: the default.
    EXPECT_TRUE (ThemeFile::readSwitch (LookIds::showDustCover, true, folder / "none.xml"));
}

TEST (ThemeFile, SwitchTextReadsLikeABoolean)
{
    for (const auto* yes : {"1", "true", "T", " yes", "Y"})
        EXPECT_TRUE (ThemeFile::parseSwitch (yes)) << yes;

    for (const auto* no : {"0", "false", "", "no", "2"})
        EXPECT_FALSE (ThemeFile::parseSwitch (no)) << no;
}

TEST (ModernTheme, DarkWhenTheBackgroundsLightnessIsBelowOneHalf)
{
    struct Case
    {
        juce::uint32 background;
        bool dark;
    };

    const Case cases[] = {{0xff808080, false}, {0xff7f7f7f, true}, {0xff181818, true}, {0xffe2e5e7, false},
                          {0xffff0000, false}, {0xfffe0000, true}, {0xff7f0080, true}};

    for (const auto& c : cases)
        EXPECT_EQ (ModernLookAndFeel::isDarkBackground (c.background), c.dark) << std::hex << c.background;
}

TEST_F (ThemeFileFixture, DarkModeWritesTheDarkColoursToTheThemeFile)
{
    // setDarkMode writes the per-user theme file (the tests' own sandbox).
    ModernLookAndFeel look;
    look.cAccent = 0xff000001;
    look.setDarkMode (true);
    EXPECT_TRUE (look.isDark());
    EXPECT_EQ (look.cAccent, 0xff1abc9cu);

    const auto xml = ThemeFile::read();
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("cBg"), "ff181818");
    EXPECT_EQ (xml->getStringAttribute ("cDark"), "ffe0e0e0");
    EXPECT_EQ (look.findColour (juce::PopupMenu::backgroundColourId), juce::Colour (0xff222222));

    look.setDarkMode (false);
    EXPECT_FALSE (look.isDark());
    EXPECT_EQ (look.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffebf0f3));

    ThemeFile::getFile().deleteFile();
}
