#pragma once

#include <juce_core/juce_core.h>

/** The value text of an instrument editor's knob, chosen by the knob's unit suffix:
    " oct" signed whole numbers without a unit (+2, 0, -1); " st" and " ct" the same with the
    unit (+12 st, -5 ct); " ms" whole milliseconds, or seconds with one decimal from 1000 on;
    " Hz" one decimal below 10, whole hertz, or kilohertz with one decimal from 1000 on; any
    other suffix one decimal followed by the suffix. Whole numbers round half to even. */
juce::String formatKnobValue (const juce::String& suffix, double value);
