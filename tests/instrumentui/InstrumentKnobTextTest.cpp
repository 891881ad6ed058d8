#include "ui/instruments/InstrumentKnobText.h"

#include <gtest/gtest.h>

TEST (InstrumentKnobText, EachSuffixHasItsRule)
{
    struct Case
    {
        const char* suffix;
        double value;
        const char* text;
    };

    const Case cases[] = {
        {" oct", 2.0, "+2"},       {" oct", 0.0, "0"},         {" oct", -1.0, "-1"},
        {" st", 12.0, "+12 st"},   {" ct", -5.0, "-5 ct"},     {" st", 2.5, "+2 st"}, // half to even
        {" ms", 1000.0, "1.0 s"},  {" ms", 999.6, "1000 ms"},  {" ms", 1500.0, "1.5 s"},
        {" ms", 3.5, "4 ms"},      {" Hz", 1000.0, "1.0 kHz"}, {" Hz", 950.0, "950 Hz"},
        {" Hz", 0.3, "0.3 Hz"},    {" Hz", 9.99, "10.0 Hz"},   {" Hz", 10.0, "10 Hz"},
        {" Hz", 19999.0, "20.0 kHz"}, {"", 0.5, "0.5"},        {" dB", -3.0, "-3.0 dB"},
    };

    for (const auto& c : cases)
        EXPECT_EQ (formatKnobValue (c.suffix, c.value), juce::String (c.text)) << c.suffix << " " << c.value;
}
