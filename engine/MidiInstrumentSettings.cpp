#include "engine/MidiInstrumentSettings.h"

#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"

#include <iterator>

namespace
{
/** A row of a type's table: the setting's name and what a value v (0..1) does to the engine.
    voice is used only by the rows that name a voice. */
template <typename Engine> struct Row
{
    const char* name;
    void (*set) (Engine&, float v, int voice);
    bool perVoice = false;
};

float range (float start, float end, float v) noexcept
{
    return MidiInstrumentSettings::skewed (start, end, v);
}

// clang-format off
const Row<MonoSynthEngine> monoRows[] = {
    {"OCTAVE",    [] (MonoSynthEngine& e, float v, int) { e.globalOctave = (int)(v * 6.0f - 3.0f); }},
    {"TUNE",      [] (MonoSynthEngine& e, float v, int) { e.globalTune = v * 200.0f - 100.0f; }},
    {"WAVE1",     [] (MonoSynthEngine& e, float v, int) { e.osc1Wave = (int)(2.0f * v); }},
    {"WAVE2",     [] (MonoSynthEngine& e, float v, int) { e.osc2Wave = (int)(2.0f * v); }},
    {"TUNE2",     [] (MonoSynthEngine& e, float v, int) { e.osc2Tune = v * 48.0f - 24.0f; }},
    {"MIX1",      [] (MonoSynthEngine& e, float v, int) { e.osc1Mix = v; }},
    {"MIX2",      [] (MonoSynthEngine& e, float v, int) { e.osc2Mix = v; }},
    {"NOISE",     [] (MonoSynthEngine& e, float v, int) { e.noiseMix = v; }},
    {"GLIDE",     [] (MonoSynthEngine& e, float v, int) { e.synthGlide = v * 1000.0f; }},
    {"LFORATE",   [] (MonoSynthEngine& e, float v, int) { e.lfoRate = v * 49.9f + 0.1f; }},
    {"LFOAMT",    [] (MonoSynthEngine& e, float v, int) { e.lfoAmt = v; }},
    {"LFOTARGET", [] (MonoSynthEngine& e, float v, int) { e.lfoTarget = (int)v; }},
    {"CUTOFF",    [] (MonoSynthEngine& e, float v, int) { e.synthCutoff = range (20.0f, 20000.0f, v); }},
    {"RES",       [] (MonoSynthEngine& e, float v, int) { e.synthRes = v * 0.95f; }},
    {"ENVMOD",    [] (MonoSynthEngine& e, float v, int) { e.synthEnvMod = v * 10000.0f; }},
    {"FA",        [] (MonoSynthEngine& e, float v, int) { e.fEnvA = range (1.0f, 5000.0f, v); }},
    {"FD",        [] (MonoSynthEngine& e, float v, int) { e.fEnvD = range (10.0f, 5000.0f, v); }},
    {"FS",        [] (MonoSynthEngine& e, float v, int) { e.fEnvS = v; }},
    {"FR",        [] (MonoSynthEngine& e, float v, int) { e.fEnvR = range (10.0f, 5000.0f, v); }},
    {"AA",        [] (MonoSynthEngine& e, float v, int) { e.aEnvA = range (2.0f, 5000.0f, v); }},
    {"AD",        [] (MonoSynthEngine& e, float v, int) { e.aEnvD = range (10.0f, 5000.0f, v); }},
    {"AS",        [] (MonoSynthEngine& e, float v, int) { e.aEnvS = v; }},
    {"AR",        [] (MonoSynthEngine& e, float v, int) { e.aEnvR = range (10.0f, 5000.0f, v); }},
};

const Row<RhythmEngine> rhythmRows[] = {
    {"VOL",   [] (RhythmEngine& e, float v, int) { e.rmVolume = v; }},
    {"BPM",   [] (RhythmEngine& e, float v, int) { e.rmBpm = v * 200.0f + 40.0f; }},
    {"STEPS", [] (RhythmEngine& e, float v, int) { e.rmSeqLen = (int)(v * 15.0f + 1.0f); }},
    {"SWING", [] (RhythmEngine& e, float v, int) { e.rmSwing = v; }},
    {"PLAY",  [] (RhythmEngine& e, float v, int) { e.playing = v > 0.5f; }},
    {"SYNC",  [] (RhythmEngine& e, float v, int) { e.rmSync = v > 0.5f; }},
    {"V_",    [] (RhythmEngine& e, float v, int voice) { e.voiceLevel[voice] = v; }, true},
    {"T_",    [] (RhythmEngine& e, float v, int voice) { e.voiceTune[voice] = v * 24.0f - 12.0f; }, true},
    {"L_",    [] (RhythmEngine& e, float v, int voice) { e.voiceLength[voice] = v; }, true},
};

const Row<PolySynthEngine> polyRows[] = {
    {"VOL",       [] (PolySynthEngine& e, float v, int) { e.masterVol = 2.0f * v; }},
    {"TUNE",      [] (PolySynthEngine& e, float v, int) { e.globalTune = v * 200.0f - 100.0f; }},
    {"GLIDE",     [] (PolySynthEngine& e, float v, int) { e.glide = v * 1000.0f; }},
    {"VEL",       [] (PolySynthEngine& e, float v, int) { e.velSens = v; }},
    {"PMOD_FA",   [] (PolySynthEngine& e, float v, int) { e.polyModFEnvFreqA = v * 24.0f; }},
    {"PMOD_OA",   [] (PolySynthEngine& e, float v, int) { e.polyModOscBFreqA = v * 24.0f; }},
    {"PMOD_F",    [] (PolySynthEngine& e, float v, int) { e.polyModOscBFilter = v; }},
    {"PMOD_PW",   [] (PolySynthEngine& e, float v, int) { e.polyModOscBPW = v; }},
    {"O1WAVE",    [] (PolySynthEngine& e, float v, int) { e.osc1Wave = (int)(3.0f * v); }},
    {"SYNC",      [] (PolySynthEngine& e, float v, int) { e.syncMode = v > 0.5f; }},
    {"O1OCT",     [] (PolySynthEngine& e, float v, int) { e.osc1Octave = (int)(v * 4.0f - 2.0f); }},
    {"O1PW",      [] (PolySynthEngine& e, float v, int) { e.osc1PW = v * 0.9f + 0.05f; }},
    {"O1MIX",     [] (PolySynthEngine& e, float v, int) { e.osc1Mix = v; }},
    {"O2WAVE",    [] (PolySynthEngine& e, float v, int) { e.osc2Wave = (int)(3.0f * v); }},
    {"O2MODE",    [] (PolySynthEngine& e, float v, int)
                  {
                      const auto mode = (int)(3.0f * v);
                      e.osc2LfoMode = mode == 1 || mode == 3;
                      e.osc2KeyTrack = mode < 2;
                  }},
    {"O2OCT",     [] (PolySynthEngine& e, float v, int) { e.osc2Octave = (int)(v * 4.0f - 2.0f); }},
    {"O2FINE",    [] (PolySynthEngine& e, float v, int) { e.osc2Fine = v * 200.0f - 100.0f; }},
    {"O2PW",      [] (PolySynthEngine& e, float v, int) { e.osc2PW = v * 0.9f + 0.05f; }},
    {"O2MIX",     [] (PolySynthEngine& e, float v, int) { e.osc2Mix = v; }},
    {"NOISE",     [] (PolySynthEngine& e, float v, int) { e.noiseMix = v; }},
    {"LFOWAVE",   [] (PolySynthEngine& e, float v, int) { e.lfoWave = (int)(3.0f * v); }},
    {"LFOTARGET", [] (PolySynthEngine& e, float v, int) { e.lfoTarget = (int)(2.0f * v); }},
    {"LFORATE",   [] (PolySynthEngine& e, float v, int)
                  { e.lfoRate = juce::NormalisableRange<float> (0.01f, 50.0f, 0.01f, 0.3f).convertFrom0to1 (v); }},
    {"LFOAMT",    [] (PolySynthEngine& e, float v, int) { e.lfoAmt = v; }},
    {"CUTOFF",    [] (PolySynthEngine& e, float v, int) { e.synthCutoff = range (20.0f, 20000.0f, v); }},
    {"RES",       [] (PolySynthEngine& e, float v, int) { e.synthRes = v * 0.95f; }},
    {"ENVMOD",    [] (PolySynthEngine& e, float v, int) { e.synthEnvMod = v * 10000.0f; }},
    {"TRACK",     [] (PolySynthEngine& e, float v, int) { e.filterKeyTrack = v; }},
    {"FA",        [] (PolySynthEngine& e, float v, int) { e.fEnvA = range (1.0f, 5000.0f, v); }},
    {"FD",        [] (PolySynthEngine& e, float v, int) { e.fEnvD = range (10.0f, 5000.0f, v); }},
    {"FS",        [] (PolySynthEngine& e, float v, int) { e.fEnvS = v; }},
    {"FR",        [] (PolySynthEngine& e, float v, int) { e.fEnvR = range (10.0f, 5000.0f, v); }},
    {"AA",        [] (PolySynthEngine& e, float v, int) { e.aEnvA = range (2.0f, 5000.0f, v); }},
    {"AD",        [] (PolySynthEngine& e, float v, int) { e.aEnvD = range (10.0f, 5000.0f, v); }},
    {"AS",        [] (PolySynthEngine& e, float v, int) { e.aEnvS = v; }},
    {"AR",        [] (PolySynthEngine& e, float v, int) { e.aEnvR = range (10.0f, 5000.0f, v); }},
};

const Row<TannerinEngine> tannerinRows[] = {
    {"SLIDE",     [] (TannerinEngine& e, float v, int) { e.slidePitch = v * 48.0f + 36.0f; }},
    {"VOL",       [] (TannerinEngine& e, float v, int) { e.masterVol = v; }},
    {"OCTAVE",    [] (TannerinEngine& e, float v, int) { e.globalOctave = (int)(v * 6.0f - 3.0f); }},
    {"LFORATE",   [] (TannerinEngine& e, float v, int) { e.lfoRate = v * 19.0f + 1.0f; }},
    {"LFOAMT",    [] (TannerinEngine& e, float v, int) { e.lfoAmt = 2.0f * v; }},
    {"LFODELAY",  [] (TannerinEngine& e, float v, int) { e.lfoDelay = v * 2000.0f; }},
    {"LFOATTACK", [] (TannerinEngine& e, float v, int) { e.lfoAttack = v * 2000.0f; }},
    {"WAVE1",     [] (TannerinEngine& e, float v, int) { e.waveShape = (int)(2.0f * v); }},
    {"WAVE2",     [] (TannerinEngine& e, float v, int) { e.osc2Wave = (int)(2.0f * v); }},
    {"MIX1",      [] (TannerinEngine& e, float v, int) { e.osc1Mix = v; }},
    {"MIX2",      [] (TannerinEngine& e, float v, int) { e.osc2Mix = v; }},
    {"TUNE2",     [] (TannerinEngine& e, float v, int) { e.osc2Tune = v * 48.0f - 24.0f; }},
    {"FINE2",     [] (TannerinEngine& e, float v, int) { e.osc2Fine = v * 200.0f - 100.0f; }},
    {"CUTOFF",    [] (TannerinEngine& e, float v, int) { e.synthCutoff = range (20.0f, 20000.0f, v); }},
    {"RES",       [] (TannerinEngine& e, float v, int) { e.synthRes = v * 0.95f; }},
    {"ENVMOD",    [] (TannerinEngine& e, float v, int) { e.synthEnvMod = v * 10000.0f; }},
    {"FILTTYPE",  [] (TannerinEngine& e, float v, int) { e.filterType = (int)(2.0f * v); }},
    {"FA",        [] (TannerinEngine& e, float v, int) { e.fEnvA = range (1.0f, 2000.0f, v); }},
    {"FD",        [] (TannerinEngine& e, float v, int) { e.fEnvD = range (10.0f, 2000.0f, v); }},
    {"FS",        [] (TannerinEngine& e, float v, int) { e.fEnvS = v; }},
    {"FR",        [] (TannerinEngine& e, float v, int) { e.fEnvR = range (10.0f, 2000.0f, v); }},
    {"AA",        [] (TannerinEngine& e, float v, int) { e.aEnvA = range (2.0f, 2000.0f, v); }},
    {"AD",        [] (TannerinEngine& e, float v, int) { e.aEnvD = range (10.0f, 2000.0f, v); }},
    {"AS",        [] (TannerinEngine& e, float v, int) { e.aEnvS = v; }},
    {"AR",        [] (TannerinEngine& e, float v, int) { e.aEnvR = range (10.0f, 2000.0f, v); }},
};

const Row<StageKeyboardEngine> keyboardRows[] = {
    {"VOL",       [] (StageKeyboardEngine& e, float v, int) { e.masterVol = 2.0f * v; }},
    {"DRIVE",     [] (StageKeyboardEngine& e, float v, int) { e.drive = v; }},
    {"BASS",      [] (StageKeyboardEngine& e, float v, int) { e.bass = 2.0f * v - 1.0f; }},
    {"TREBLE",    [] (StageKeyboardEngine& e, float v, int) { e.treble = 2.0f * v - 1.0f; }},
    {"TREMRATE",  [] (StageKeyboardEngine& e, float v, int) { e.tremRate = v * 14.9f + 0.1f; }},
    {"TREMDEPTH", [] (StageKeyboardEngine& e, float v, int) { e.tremDepth = v; }},
};
// clang-format on

template <typename Engine, size_t numRows>
MidiInstrumentSettings::Setting findIn (const Row<Engine> (&rows)[numRows], int type, const juce::String& name) noexcept
{
    MidiInstrumentSettings::Setting setting;
    setting.type = type;

    for (size_t i = 0; i < numRows; ++i)
    {
        const auto& row = rows[i];

        if (row.perVoice)
        {
            // The voice is the decimal number after the two-character prefix ("V_3").
            if (name.length() >= 3 && name.startsWith (row.name))
            {
                const auto voice = (name.getCharPointer() + 2).getIntValue32();

                if (voice >= 0 && voice < RhythmEngine::numVoices)
                {
                    setting.row = (int)i;
                    setting.voice = voice;
                }

                return setting;
            }
        }
        else if (name == row.name)
        {
            setting.row = (int)i;
            return setting;
        }
    }

    return setting;
}

template <typename Engine, size_t numRows>
void applyIn (const Row<Engine> (&rows)[numRows], int type, Engine& engine,
              const MidiInstrumentSettings::Setting& setting, float value) noexcept
{
    if (setting.type != type || setting.row < 0 || setting.row >= (int)numRows)
        return;

    const auto& row = rows[setting.row];

    if (row.perVoice && (setting.voice < 0 || setting.voice >= RhythmEngine::numVoices))
        return;

    row.set (engine, juce::jlimit (0.0f, 1.0f, value), setting.voice);
}
} // namespace

float MidiInstrumentSettings::skewed (float start, float end, float value) noexcept
{
    return juce::NormalisableRange<float> (start, end, 0.1f, 0.3f).convertFrom0to1 (value);
}

MidiInstrumentSettings::Setting MidiInstrumentSettings::find (int type, const juce::String& name) noexcept
{
    using namespace BuiltInInstruments;

    switch (type)
    {
        case MonoSynth:
            return findIn (monoRows, type, name);
        case RhythmMachine:
            return findIn (rhythmRows, type, name);
        case PolySynth:
            return findIn (polyRows, type, name);
        case Tannerin:
            return findIn (tannerinRows, type, name);
        case StageKeyboard:
            return findIn (keyboardRows, type, name);
        default:
            return {};
    }
}

void MidiInstrumentSettings::apply (MonoSynthEngine& engine, const Setting& setting, float value) noexcept
{
    applyIn (monoRows, BuiltInInstruments::MonoSynth, engine, setting, value);
}

void MidiInstrumentSettings::apply (RhythmEngine& engine, const Setting& setting, float value) noexcept
{
    applyIn (rhythmRows, BuiltInInstruments::RhythmMachine, engine, setting, value);
}

void MidiInstrumentSettings::apply (PolySynthEngine& engine, const Setting& setting, float value) noexcept
{
    applyIn (polyRows, BuiltInInstruments::PolySynth, engine, setting, value);
}

void MidiInstrumentSettings::apply (TannerinEngine& engine, const Setting& setting, float value) noexcept
{
    applyIn (tannerinRows, BuiltInInstruments::Tannerin, engine, setting, value);
}

void MidiInstrumentSettings::apply (StageKeyboardEngine& engine, const Setting& setting, float value) noexcept
{
    applyIn (keyboardRows, BuiltInInstruments::StageKeyboard, engine, setting, value);
}
