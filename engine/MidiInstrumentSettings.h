#pragma once

#include <juce_core/juce_core.h>

class MonoSynthEngine;
class RhythmEngine;
class PolySynthEngine;
class TannerinEngine;
class StageKeyboardEngine;

/** The built-in instrument settings that MIDI controllers can drive: for each instrument
    type, the setting names the instrument editors put into their learn targets ("CUTOFF",
    "PMOD_FA", "V_3" ...) and how a controller value 0..1 becomes the setting's value.

    A name is looked up once (find) and the result applied for each controller value
    (apply), which neither allocates nor locks, so the audio thread can do it. */
class MidiInstrumentSettings
{
public:
    /** One setting of one instrument type; row -1 when the name is not a setting of the type. */
    struct Setting
    {
        int type = 0;
        int row = -1;
        int voice = -1; // the rhythm machine's per-voice settings only

        bool isValid() const noexcept { return row >= 0; }
    };

    /** The setting that a name stands for on an instrument type (1 mono synthesizer,
        2 rhythm machine, 3 poly synthesizer, 4 slide instrument, 5 stage keyboard).
        The rhythm machine's "V_", "T_" and "L_" followed by a voice 0..9 set that voice's
        level, tune and length. Allocates nothing. */
    static Setting find (int type, const juce::String& name) noexcept;

    /** Sets the engine's setting from a controller value (limited to 0..1). A setting of
        another type, or none, changes nothing. */
    static void apply (MonoSynthEngine& engine, const Setting& setting, float value) noexcept;
    static void apply (RhythmEngine& engine, const Setting& setting, float value) noexcept;
    static void apply (PolySynthEngine& engine, const Setting& setting, float value) noexcept;
    static void apply (TannerinEngine& engine, const Setting& setting, float value) noexcept;
    static void apply (StageKeyboardEngine& engine, const Setting& setting, float value) noexcept;

    /** The skewed range of the frequency and time settings: a + (b - a) x v^(1/0.3). */
    static float skewed (float start, float end, float value) noexcept;
};
