#include "ui/deck/DeckControls.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <gtest/gtest.h>

#include <limits>

TEST (DeckTexts, CounterShowsSignedMinutesAndSeconds)
{
    const struct
    {
        double seconds;
        const char* text;
    } cases[] = {
        {0.0, "00:00"},     {59.9, "00:59"},      {-65.5, "-01:05"}, {7389.9, "123:09"},
        {-0.4, "-00:00"},   {std::numeric_limits<double>::quiet_NaN(), "00:00"},
        {std::numeric_limits<double>::infinity(), "00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ (DeckControls::counterText (c.seconds), c.text) << c.seconds;
}

TEST (DeckTexts, CounterEntryKeepsTheLastFourDigitsAsMinutesAndSeconds)
{
    const struct
    {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"4", "00:04"},      {"00:042", "00:42"}, {"00:420", "04:20"}, {"12:345", "23:45"},
        {"-0005", "-00:05"}, {"-", "-"},          {"-x", "-"},         {"", ""},
        {"ab", "ab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ (DeckControls::formatCounterEntry (c.typed), c.shown) << c.typed;

    // Typing 1 to 6 one key after another.
    juce::String text;
    for (const char key : juce::String ("123456"))
        text = DeckControls::formatCounterEntry (text + juce::String::charToString (key));
    EXPECT_EQ (text, "34:56");
}

TEST (DeckTexts, CommittedCounterTextIsSecondsFromTheZeroPoint)
{
    const struct
    {
        const char* text;
        double seconds;
    } cases[] = {{"04:20", 260.0}, {"-00:05", -5.0}, {"01:75", 135.0}, {"5", 5.0}, {"-", 0.0}, {"abc", 0.0}, {"12.5", 12.5}};
    for (const auto& c : cases)
    {
        double seconds = -999.0;
        ASSERT_TRUE (DeckControls::parseCounterEntry (c.text, seconds)) << c.text;
        EXPECT_DOUBLE_EQ (seconds, c.seconds) << c.text;
    }

    double untouched = 7.0;
    EXPECT_FALSE (DeckControls::parseCounterEntry ("   ", untouched));
    EXPECT_EQ (untouched, 7.0);
}

TEST (DeckTexts, VarispeedSnapsToMusicalRatiosAndNamesThem)
{
    EXPECT_DOUBLE_EQ (DeckControls::snapVarispeed (0.52, true), 0.5);
    EXPECT_DOUBLE_EQ (DeckControls::snapVarispeed (0.18, true), 0.166667);
    EXPECT_DOUBLE_EQ (DeckControls::snapVarispeed (0.52, false), 0.52);
    // Equally near two ratios: the smaller wins.
    EXPECT_DOUBLE_EQ (DeckControls::snapVarispeed (1.75, true), 1.5);

    EXPECT_EQ (DeckControls::varispeedText (0.5, true), "1/2x (-1 Oct)");
    EXPECT_EQ (DeckControls::varispeedText (0.166667, true), "17%");
    EXPECT_EQ (DeckControls::varispeedText (0.333333, true), "1/3x (-P5 & -1 Oct)");
    EXPECT_EQ (DeckControls::varispeedText (2.0, true), "2.0x (+1 Oct)");
    EXPECT_EQ (DeckControls::varispeedText (0.52, false), "52%");
    EXPECT_EQ (DeckControls::varispeedText (1.0, false), "100%");
    EXPECT_EQ (DeckControls::varispeedText (0.125, false), "12%"); // halves go to even
}

TEST (DeckTexts, MasterFormatPageAndSaveTexts)
{
    EXPECT_EQ (DeckControls::masterVolumeText (0.5), "-6.0 dB");
    EXPECT_EQ (DeckControls::masterVolumeText (1.0), "0.0 dB");
    EXPECT_EQ (DeckControls::masterVolumeText (2.0), "6.0 dB");
    EXPECT_EQ (DeckControls::masterVolumeText (0.0005), "-inf dB");

    EXPECT_EQ (DeckControls::formatText (0), "1\" MSTR");
    EXPECT_EQ (DeckControls::formatText (1), "1/2\" STD");
    EXPECT_EQ (DeckControls::formatText (2), "1/4\" HOME");
    EXPECT_EQ (DeckControls::formatText (3), "CASSETTE");
    EXPECT_EQ (DeckControls::formatText (7), "FORMAT");
    EXPECT_FLOAT_EQ (DeckControls::nextFormatValue (1.0f), 0.0f);
    EXPECT_FLOAT_EQ (DeckControls::nextFormatValue (0.0f), 1.0f / 3.0f);

    EXPECT_EQ (DeckControls::saveButtonText (0), "SAVE REEL");
    EXPECT_EQ (DeckControls::saveButtonText (1), "SAVE (AUTO-SAVE)");
    EXPECT_EQ (DeckControls::saveButtonText (3), "SAVE (SLOT 3)");
}

TEST (DeckTexts, FeedbackReportCarriesTheSystemSpecs)
{
    const auto body = TavrelDelayAudioProcessorEditor::betaFeedbackBody();
    EXPECT_TRUE (body.startsWith ("Describe your issue or feedback here:\n\n--- System Specs ---\nOS: ")) << body;
    for (const auto* line : {"\nCPU: ", "MHz (", " cores)\nRAM: ", "MB\nApp Version: 2.2\n"})
        EXPECT_TRUE (body.contains (line)) << line;
}
