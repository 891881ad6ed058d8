#include "effects/BuiltInEffects.h"

#include <gtest/gtest.h>

TEST (BuiltInEffects, TypeCodesAndDeviceNames)
{
    struct Case
    {
        int type;
        const char* name;
    };
    // The codes are stored in reels and the names shown in the rack: both are fixed.
    const Case cases[] = {
        {AnalogReverb, "Velmora Analog Reverb"},
        {TapeEcho, "Velmora Tape Echo"},
        {OptoComp, "Velmora Opto Comp"},
        {LineAmp, "Velmora Line Amp"},
        {Equalizer, "Velmora Equalizer"},
        {MultiModulator, "Velmora Multi-Modulator"},
        {FetComp, "Velmora FET-Q9"},
    };

    int expectedType = 1;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (c.type, expectedType++);
        EXPECT_TRUE (BuiltInEffects::isBuiltInEffectType (c.type));
        EXPECT_EQ (BuiltInEffects::getDeviceName (c.type), juce::String (c.name));
        EXPECT_EQ (BuiltInEffects::getTypeForDeviceName (c.name), c.type);
    }

    for (const int other : {(int)NoBuiltInEffect, 8, -1, 100})
    {
        SCOPED_TRACE (other);
        EXPECT_FALSE (BuiltInEffects::isBuiltInEffectType (other));
        EXPECT_TRUE (BuiltInEffects::getDeviceName (other).isEmpty());
    }

    EXPECT_EQ (BuiltInEffects::getTypeForDeviceName ("Velmora tape echo"), NoBuiltInEffect);
    EXPECT_EQ (BuiltInEffects::getTypeForDeviceName ({}), NoBuiltInEffect);
    EXPECT_EQ (BuiltInEffects::numTypes, 7);
}
