#include "storage/FactoryPresets.h"

#include <algorithm>

namespace FactoryPresets
{
namespace
{
    constexpr auto integer = ValueKind::integer;
    constexpr auto real = ValueKind::real;
    constexpr auto flag = ValueKind::flag;

    [[maybe_unused]] int countColumns (const Instrument& instrument)
    {
        return (int)std::count_if (instrument.settings.begin(), instrument.settings.end(),
                                   [] (const Setting& s) { return s.fixedText == nullptr; });
    }

    // A row that does not fit its table is a fault in the tables themselves.
    const Instrument& checked (const Instrument& instrument)
    {
        for ([[maybe_unused]] const auto& preset : instrument.presets)
            jassert ((int)preset.values.size() == countColumns (instrument));

        return instrument;
    }
} // namespace

// clang-format off
const Instrument& monoBass()
{
    static const Instrument instrument = checked ({
        monoBassFolder,
        {
            {"globalOctave", integer, -3, 3},
            {"globalTune", real, -100, 100},
            {"osc1Wave", integer, 0, 2},   // 0 saw, 1 square, 2 triangle
            {"osc2Wave", integer, 0, 2},
            {"osc2Tune", real, -24, 24},   // semitones
            {"osc1Mix", real, 0, 1},
            {"osc2Mix", real, 0, 1},
            {"noiseMix", real, 0, 1},
            {"synthGlide", real, 0, 1000}, // ms
            {"synthCutoff", real, 20, 20000},
            {"synthRes", real, 0, 0.95},
            {"synthEnvMod", real, 0, 10000},
            {"fEnvA", real, 1, 5000},
            {"fEnvD", real, 10, 5000},
            {"fEnvS", real, 0, 1},
            {"fEnvR", real, 10, 5000},
            {"aEnvA", real, 2, 5000},
            {"aEnvD", real, 10, 5000},
            {"aEnvS", real, 0, 1},
            {"aEnvR", real, 10, 5000},
            {"lfoRate", real, 0.1, 50},
            {"lfoAmt", real, 0, 1},
            {"lfoTarget", integer, 0, 1},  // 0 pitch, 1 filter
        },
        {
            //                        oct  tune  w1 w2  tune2  mix1  mix2  noise  glide   cutoff   res    envmod   fA     fD      fS    fR      aA     aD      aS    aR      rate  amt   tgt
            {"Acid Squorch",          {-1, 0.0,  0, 0,  0.0,   1.0,  0.0,  0.0,   60.0,   80.0,    0.88,  6000.0,  15.0,  400.0,  0.1,  300.0,  5.0,   400.0,  0.8,  300.0,  5.0,  0.0,  0}},
            {"Boards of Tape Lead",   {0,  -8.0, 2, 0,  0.1,   0.8,  0.5,  0.05,  120.0,  1400.0,  0.2,   800.0,   200.0, 900.0,  0.5,  600.0,  60.0,  500.0,  0.85, 700.0,  0.6,  0.12, 0}},
            {"Classic 101 Bass",      {-1, 0.0,  0, 1,  -12.0, 1.0,  0.6,  0.0,   0.0,    300.0,   0.3,   2500.0,  2.0,   250.0,  0.0,  150.0,  2.0,   300.0,  0.7,  80.0,   5.0,  0.0,  0}},
            {"Dark Garage Sub",       {-1, 0.0,  2, 2,  12.0,  1.0,  0.25, 0.0,   40.0,   400.0,   0.1,   300.0,   5.0,   300.0,  0.3,  200.0,  4.0,   600.0,  0.9,  200.0,  5.0,  0.0,  0}},
            {"Dubstep Wobble",        {-1, 0.0,  0, 0,  -12.0, 1.0,  0.5,  0.0,   0.0,    100.0,   0.7,   4000.0,  10.0,  100.0,  1.0,  100.0,  10.0,  100.0,  1.0,  100.0,  6.5,  0.9,  1}},
            {"Eighties Slap Bass",    {-1, 0.0,  1, 0,  12.0,  1.0,  0.35, 0.05,  0.0,    500.0,   0.45,  5000.0,  1.0,   120.0,  0.1,  100.0,  2.0,   250.0,  0.35, 120.0,  5.0,  0.0,  0}},
            {"Funky Worm Glide",      {1,  0.0,  2, 1,  12.0,  1.0,  0.15, 0.0,   250.0,  3000.0,  0.3,   1500.0,  10.0,  600.0,  0.6,  300.0,  10.0,  300.0,  0.9,  250.0,  5.5,  0.08, 0}},
            {"G-Funk Lead",           {1,  0.0,  2, 1,  0.0,   1.0,  0.2,  0.0,   120.0,  2500.0,  0.15,  800.0,   20.0,  400.0,  0.7,  300.0,  15.0,  200.0,  1.0,  300.0,  5.5,  0.12, 0}},
            {"Hollow Square Lead",    {0,  0.0,  1, 1,  12.0,  1.0,  0.4,  0.0,   30.0,   1800.0,  0.35,  1200.0,  5.0,   400.0,  0.5,  300.0,  5.0,   300.0,  0.9,  300.0,  5.0,  0.05, 0}},
            {"Laser Zap",             {1,  0.0,  0, 1,  7.0,   1.0,  0.5,  0.0,   0.0,    200.0,   0.92,  10000.0, 1.0,   150.0,  0.0,  80.0,   2.0,   180.0,  0.0,  80.0,   30.0, 0.5,  0}},
            {"Majestic Brass",        {0,  0.0,  0, 0,  0.12,  1.0,  0.8,  0.0,   20.0,   700.0,   0.2,   3500.0,  80.0,  600.0,  0.55, 400.0,  30.0,  400.0,  0.85, 450.0,  5.0,  0.04, 0}},
            {"Muted Pick Bass",       {-1, 0.0,  0, 2,  0.0,   1.0,  0.3,  0.02,  0.0,    350.0,   0.25,  1800.0,  2.0,   90.0,   0.0,  60.0,   2.0,   220.0,  0.0,  90.0,   5.0,  0.0,  0}},
            {"Plucked Plastic",       {1,  0.0,  1, 2,  12.0,  1.0,  0.4,  0.0,   0.0,    900.0,   0.55,  6000.0,  1.0,   180.0,  0.0,  150.0,  2.0,   250.0,  0.0,  200.0,  5.0,  0.0,  0}},
            {"Resonant Seq Pluck",    {0,  0.0,  0, 1,  -12.0, 1.0,  0.3,  0.0,   0.0,    400.0,   0.8,   5000.0,  1.0,   200.0,  0.05, 150.0,  2.0,   300.0,  0.0,  180.0,  5.0,  0.0,  0}},
            {"Retro Synth Tom",       {-1, 0.0,  2, 1,  0.0,   1.0,  0.2,  0.15,  0.0,    300.0,   0.5,   3000.0,  1.0,   120.0,  0.0,  100.0,  2.0,   450.0,  0.0,  350.0,  5.0,  0.0,  0}},
            {"Rhythmic Pulsar",       {0,  0.0,  1, 0,  -12.0, 1.0,  0.5,  0.0,   10.0,   600.0,   0.6,   1500.0,  5.0,   300.0,  0.6,  300.0,  5.0,   200.0,  1.0,  250.0,  8.0,  0.7,  1}},
            {"Smooth Corvish Lead",   {0,  0.0,  2, 0,  12.0,  1.0,  0.25, 0.0,   80.0,   2200.0,  0.2,   1200.0,  30.0,  600.0,  0.6,  500.0,  20.0,  300.0,  0.9,  450.0,  5.0,  0.06, 0}},
            {"Sub Rumble",            {-2, 0.0,  2, 1,  12.0,  1.0,  0.2,  0.0,   20.0,   250.0,   0.0,   100.0,   10.0,  500.0,  0.5,  300.0,  10.0,  800.0,  1.0,  400.0,  0.5,  0.03, 1}},
            {"Syncopated Noise Perc", {0,  0.0,  1, 1,  0.0,   0.2,  0.0,  1.0,   0.0,    2500.0,  0.6,   6000.0,  1.0,   60.0,   0.0,  50.0,   2.0,   90.0,   0.0,  60.0,   5.0,  0.0,  0}},
            {"Underground Tech",      {-1, 0.0,  1, 0,  0.1,   1.0,  0.7,  0.0,   0.0,    250.0,   0.7,   3000.0,  1.0,   180.0,  0.1,  120.0,  2.0,   220.0,  0.4,  120.0,  0.25, 0.3,  1}},
            {"Vowely Bass",           {-1, 0.0,  0, 1,  -12.0, 1.0,  0.5,  0.0,   40.0,   500.0,   0.75,  1200.0,  60.0,  350.0,  0.5,  300.0,  5.0,   300.0,  0.9,  200.0,  2.0,  0.2,  1}},
        },
    });

    return instrument;
}

const Instrument& polySynth()
{
    static const Instrument instrument = checked ({
        polySynthFolder,
        {
            {"masterVol", real, 0, 2},
            {"globalTune", real, -100, 100},
            {"glide", real, 0, 1000},
            {"velSens", real, 0, 1},
            {"polyModFEnvFreqA", real, 0, 24},
            {"polyModOscBFreqA", real, 0, 24},
            {"polyModOscBFilter", real, 0, 1},
            {"polyModOscBPW", real, 0, 1},
            {"osc1Octave", integer, -2, 2},
            {"osc1Wave", integer, 0, 3},     // 0 saw, 1 pulse, 2 triangle, 3 sine
            {"osc1PW", real, 0.05, 0.95},
            {"osc1Mix", real, 0, 1},
            {"syncMode", flag, 0, 1},
            {"osc2LfoMode", flag, 0, 1, "0"}, // every factory preset: oscillator B in its normal range...
            {"osc2KeyTrack", flag, 0, 1, "1"}, // ...and following the keyboard
            {"osc2Octave", integer, -2, 2},
            {"osc2Wave", integer, 0, 3},
            {"osc2Fine", real, -100, 100},
            {"osc2PW", real, 0.05, 0.95},
            {"osc2Mix", real, 0, 1},
            {"noiseMix", real, 0, 1},
            {"synthCutoff", real, 20, 20000},
            {"synthRes", real, 0, 0.95},
            {"synthEnvMod", real, 0, 10000},
            {"filterKeyTrack", real, 0, 1},
            {"fEnvA", real, 1, 5000},
            {"fEnvD", real, 10, 5000},
            {"fEnvS", real, 0, 1},
            {"fEnvR", real, 10, 5000},
            {"aEnvA", real, 2, 5000},
            {"aEnvD", real, 10, 5000},
            {"aEnvS", real, 0, 1},
            {"aEnvR", real, 10, 5000},
            {"lfoWave", integer, 0, 3},      // 0 triangle, 1 saw, 2 square, 3 sine
            {"lfoRate", real, 0.01, 50},
            {"lfoAmt", real, 0, 1},
            {"lfoTarget", integer, 0, 2},    // 0 pitch, 1 filter, 2 pulse width
        },
        {
            // First line: master, tune, glide, velocity, filter env > A pitch, B > A pitch, B > filter, B > width,
            //             A octave, A wave, A width, A level, sync.
            // Second line: B octave, B wave, B fine, B width, B level, noise, cutoff, resonance, env amount, key track,
            //              filter A D S R, amp A D S R, LFO wave, rate, amount, target.
            {"Blade Runner Synth", {0.9, 0.0, 0.0, 0.7, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 1.0, 0,
                                    0, 0, 8.0, 0.5, 1.0, 0.0, 900.0, 0.25, 3000.0, 0.4, 600.0, 1500.0, 0.5, 1800.0, 300.0, 1000.0, 0.8, 2000.0, 3, 5.0, 0.04, 0}},
            {"CS-80 Swell", {0.9, 0.0, 0.0, 0.8, 0.0, 0.0, 0.0, 0.0, 0, 1, 0.4, 0.9, 0,
                             0, 0, -7.0, 0.5, 0.9, 0.0, 600.0, 0.3, 2500.0, 0.5, 1200.0, 1500.0, 0.7, 1500.0, 900.0, 1000.0, 0.9, 1500.0, 3, 5.5, 0.05, 0}},
            {"Cinematic Drone", {0.8, 0.0, 0.0, 0.2, 0.0, 0.0, 0.0, 0.0, -1, 0, 0.5, 1.0, 0,
                                 -1, 0, 12.0, 0.5, 1.0, 0.08, 500.0, 0.4, 1500.0, 0.3, 3000.0, 4000.0, 0.6, 4000.0, 2500.0, 3000.0, 1.0, 5000.0, 0, 0.08, 0.15, 1}},
            {"Dark Synthwave Pad", {0.85, 0.0, 0.0, 0.4, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 0.9, 0,
                                    -1, 1, 6.0, 0.35, 0.8, 0.0, 800.0, 0.3, 1200.0, 0.3, 800.0, 2000.0, 0.5, 2000.0, 600.0, 1500.0, 0.85, 2500.0, 0, 0.3, 0.3, 2}},
            {"Electric Piano FM", {0.9, 0.0, 0.0, 0.9, 0.0, 18.0, 0.0, 0.0, 0, 3, 0.5, 1.0, 0,
                                   2, 3, 2.0, 0.5, 0.0, 0.0, 6000.0, 0.0, 0.0, 1.0, 2.0, 1500.0, 0.0, 800.0, 2.0, 1500.0, 0.0, 800.0, 0, 5.0, 0.02, 0}},
            {"Eighties Pop Chords", {0.9, 0.0, 0.0, 0.6, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 1.0, 0,
                                     0, 1, 7.0, 0.3, 0.7, 0.0, 1500.0, 0.2, 4000.0, 0.5, 2.0, 500.0, 0.3, 400.0, 3.0, 800.0, 0.6, 500.0, 3, 4.5, 0.02, 0}},
            {"FM Bell Pluck", {0.9, 0.0, 0.0, 0.8, 0.0, 12.0, 0.0, 0.0, 1, 3, 0.5, 1.0, 0,
                               1, 3, 50.0, 0.5, 0.0, 0.0, 2000.0, 0.0, 5000.0, 1.0, 1.0, 600.0, 0.0, 600.0, 2.0, 1200.0, 0.0, 1200.0, 3, 5.0, 0.0, 0}},
            {"Fat Analog Bass", {1.0, 0.0, 0.0, 0.5, 0.0, 0.0, 0.0, 0.0, -1, 0, 0.5, 1.0, 0,
                                 -2, 1, -6.0, 0.5, 0.8, 0.0, 300.0, 0.35, 2500.0, 0.2, 2.0, 300.0, 0.2, 150.0, 2.0, 400.0, 0.8, 150.0, 0, 5.0, 0.0, 0}},
            {"Filter Sweeper", {0.85, 0.0, 0.0, 0.5, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 1.0, 0,
                                0, 0, 10.0, 0.5, 1.0, 0.0, 700.0, 0.75, 500.0, 0.5, 50.0, 800.0, 0.5, 800.0, 50.0, 500.0, 1.0, 800.0, 0, 0.2, 0.6, 1}},
            {"Glassy Keys", {0.9, 0.0, 0.0, 0.7, 0.0, 3.0, 0.0, 0.0, 0, 2, 0.5, 1.0, 0,
                             1, 3, 3.0, 0.5, 0.6, 0.0, 4000.0, 0.1, 3000.0, 0.6, 1.0, 800.0, 0.2, 600.0, 2.0, 1800.0, 0.3, 900.0, 3, 5.0, 0.0, 0}},
            {"Glimmering Chimes", {0.8, 0.0, 0.0, 0.6, 0.0, 7.0, 0.0, 0.0, 1, 3, 0.5, 1.0, 0,
                                   2, 3, 7.0, 0.5, 0.4, 0.0, 6000.0, 0.0, 2000.0, 1.0, 1.0, 1500.0, 0.0, 2000.0, 2.0, 3000.0, 0.0, 3000.0, 3, 6.0, 0.01, 0}},
            {"Lo-Fi Flutter Keys", {0.9, -6.0, 0.0, 0.6, 0.0, 0.0, 0.0, 0.0, 0, 2, 0.5, 1.0, 0,
                                    0, 1, -5.0, 0.3, 0.4, 0.06, 1800.0, 0.1, 1200.0, 0.5, 2.0, 900.0, 0.3, 500.0, 3.0, 1200.0, 0.5, 600.0, 3, 5.5, 0.05, 0}},
            {"Lush PWM Pad", {0.85, 0.0, 0.0, 0.3, 0.0, 0.0, 0.0, 0.0, 0, 1, 0.5, 1.0, 0,
                              0, 1, 9.0, 0.4, 0.9, 0.0, 2200.0, 0.2, 800.0, 0.4, 1000.0, 2000.0, 0.7, 2500.0, 800.0, 1500.0, 0.9, 2500.0, 0, 0.5, 0.5, 2}},
            {"Nineteen Eighty-Four Brass", {0.9, 0.0, 0.0, 0.6, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 1.0, 0,
                                            0, 0, -9.0, 0.5, 1.0, 0.0, 900.0, 0.2, 4500.0, 0.5, 40.0, 450.0, 0.45, 300.0, 15.0, 600.0, 0.85, 300.0, 3, 5.0, 0.0, 0}},
            {"Phasey Strings", {0.85, 0.0, 0.0, 0.3, 0.0, 0.0, 0.0, 0.0, 0, 1, 0.3, 0.9, 0,
                                0, 0, 14.0, 0.5, 0.9, 0.0, 3000.0, 0.15, 500.0, 0.4, 500.0, 1000.0, 0.8, 1500.0, 400.0, 1000.0, 0.9, 1200.0, 0, 0.7, 0.35, 2}},
            {"Pumping Trance Saw", {0.9, 0.0, 0.0, 0.4, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 1.0, 0,
                                    0, 0, 18.0, 0.5, 1.0, 0.0, 2500.0, 0.3, 1500.0, 0.5, 5.0, 300.0, 0.6, 300.0, 5.0, 400.0, 0.9, 300.0, 1, 2.0, 0.5, 1}},
            {"Starlight", {0.85, 0.0, 0.0, 0.5, 0.0, 0.0, 0.0, 0.0, 0, 2, 0.5, 1.0, 0,
                           1, 3, 5.0, 0.5, 0.6, 0.02, 5000.0, 0.1, 2000.0, 0.5, 200.0, 2000.0, 0.5, 3000.0, 150.0, 2500.0, 0.6, 3500.0, 3, 5.5, 0.03, 0}},
            {"Sync Sweep Lead", {0.8, 0.0, 20.0, 0.7, 18.0, 0.0, 0.0, 0.0, 1, 0, 0.5, 1.0, 1,
                                 0, 0, 0.0, 0.5, 0.0, 0.0, 4000.0, 0.2, 0.0, 1.0, 10.0, 600.0, 0.0, 100.0, 5.0, 500.0, 0.8, 150.0, 0, 5.0, 0.0, 0}},
            {"Synth Choir Ahhs", {0.85, 0.0, 0.0, 0.4, 0.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 0.8, 0,
                                  0, 1, 7.0, 0.25, 0.7, 0.05, 1000.0, 0.55, 300.0, 0.6, 400.0, 1000.0, 0.7, 1200.0, 450.0, 1000.0, 0.9, 1400.0, 3, 5.0, 0.05, 0}},
            {"Tape Warble Keys", {0.9, -10.0, 0.0, 0.6, 0.0, 0.0, 0.0, 0.0, 0, 2, 0.5, 1.0, 0,
                                  0, 0, -8.0, 0.5, 0.35, 0.03, 2000.0, 0.1, 1500.0, 0.5, 2.0, 1200.0, 0.3, 600.0, 5.0, 1500.0, 0.6, 700.0, 3, 0.7, 0.08, 0}},
            {"Dunmere Brass", {0.9, 0.0, 0.0, 0.7, 1.0, 0.0, 0.0, 0.0, 0, 0, 0.5, 1.0, 0,
                               0, 1, -6.0, 0.45, 0.7, 0.0, 700.0, 0.15, 3500.0, 0.5, 80.0, 700.0, 0.5, 350.0, 40.0, 800.0, 0.8, 400.0, 3, 5.0, 0.03, 0}},
        },
    });

    return instrument;
}

const Instrument& tannerin()
{
    static const Instrument instrument = checked ({
        tannerinFolder,
        {
            {"masterVol", real, 0, 1},
            {"slidePitch", real, 36, 84},  // MIDI note number of the slide
            {"globalOctave", integer, -3, 3},
            {"waveShape", integer, 0, 2},  // 0 sine, 1 saw, 2 square
            {"osc2Wave", integer, 0, 2},
            {"osc1Mix", real, 0, 1},
            {"osc2Mix", real, 0, 1},
            {"osc2Tune", real, -24, 24},   // whole semitones
            {"osc2Fine", real, -100, 100},
            {"gateLatch", flag, 0, 1},
            {"filterType", integer, 0, 2}, // 0 low-pass, 1 high-pass, 2 band-pass
            {"synthCutoff", real, 20, 20000},
            {"synthRes", real, 0, 0.95},
            {"synthEnvMod", real, 0, 10000},
            {"fEnvA", real, 1, 2000},
            {"fEnvD", real, 10, 2000},
            {"fEnvS", real, 0, 1},
            {"fEnvR", real, 10, 2000},
            {"aEnvA", real, 2, 2000},
            {"aEnvD", real, 10, 2000},
            {"aEnvS", real, 0, 1},
            {"aEnvR", real, 10, 2000},
            {"lfoRate", real, 1, 20},      // vibrato
            {"lfoAmt", real, 0, 2},
            {"lfoDelay", real, 0, 2000},
            {"lfoAttack", real, 0, 2000},
        },
        {
            //                        vol  slide oct w1 w2 mix1 mix2 tune2 fine2 latch type cutoff   res   envmod  fA     fD      fS   fR      aA     aD      aS    aR      rate  amt   delay   attack
            {"Alien Transmission",    {0.9,  84.0, 2, 2, 1, 0.5, 0.5, 7.0,  0.0,  1, 2,  4000.0,  0.8,  0.0,    50.0,  100.0,  1.0, 200.0,  50.0,  100.0,  1.0,  200.0,  20.0, 1.5,  0.0,    0.0}},
            {"Bowed Cello",           {0.9,  55.0, -1, 1, 1, 1.0, 0.3, 0.0, 7.0,  0, 0,  1800.0,  0.2,  800.0,  150.0, 600.0,  0.6, 500.0,  180.0, 400.0,  0.9,  400.0,  5.5,  0.15, 400.0,  600.0}},
            {"Classic Theremin",      {1.0,  60.0, 1, 0, 0, 1.0, 0.0, 0.0,  0.0,  0, 0,  8000.0,  0.1,  0.0,    300.0, 500.0,  1.0, 800.0,  300.0, 500.0,  1.0,  800.0,  6.0,  0.6,  400.0,  500.0}},
            {"Deep Space Sub",        {1.0,  48.0, -1, 0, 0, 1.0, 0.2, 12.0, 0.0,  0, 0,  600.0,   0.1,  0.0,    5.0,   500.0,  1.0, 500.0,  300.0, 500.0,  1.0,  1500.0, 1.0,  0.1,  0.0,    1000.0}},
            {"French Horn Swell",     {0.85, 55.0, 0, 1, 1, 1.0, 0.25, 12.0, 4.0, 0, 0,  700.0,   0.15, 1500.0, 400.0, 800.0,  0.6, 600.0,  350.0, 500.0,  0.9,  600.0,  5.0,  0.08, 600.0,  800.0}},
            {"Fretless Bass",         {1.0,  45.0, -1, 1, 0, 0.6, 0.8, 0.0,  0.0,  0, 0,  500.0,   0.3,  1200.0, 2.0,   400.0,  0.3, 300.0,  8.0,   1200.0, 0.5,  400.0,  5.0,  0.05, 500.0,  500.0}},
            {"Fuzz Guitar Feedback",  {0.8,  64.0, 0, 2, 1, 1.0, 0.5, 12.0, 3.0,  0, 0,  3500.0,  0.4,  2000.0, 5.0,   800.0,  0.5, 600.0,  5.0,   1000.0, 0.9,  800.0,  6.0,  0.2,  1200.0, 800.0}},
            {"Ghostly Saw",           {0.8,  62.0, 1, 1, 0, 0.8, 0.3, 12.0, 0.0,  0, 2,  1500.0,  0.5,  500.0,  800.0, 1000.0, 0.7, 1500.0, 900.0, 800.0,  0.9,  1800.0, 4.5,  0.3,  300.0,  1200.0}},
            {"Glass Armonica",        {0.85, 67.0, 1, 0, 0, 1.0, 0.4, 12.0, 3.0,  0, 0,  5000.0,  0.0,  0.0,    300.0, 1000.0, 1.0, 2000.0, 250.0, 1500.0, 0.8,  2000.0, 4.0,  0.05, 800.0,  1000.0}},
            {"Gliding Brass",         {0.85, 60.0, 0, 1, 1, 1.0, 0.5, 0.0,  8.0,  0, 0,  900.0,   0.2,  3000.0, 60.0,  500.0,  0.5, 400.0,  40.0,  500.0,  0.9,  400.0,  5.5,  0.1,  500.0,  500.0}},
            {"Human Whistler",        {0.8,  72.0, 1, 0, 0, 1.0, 0.0, 0.0,  0.0,  0, 0,  6000.0,  0.0,  0.0,    5.0,   200.0,  1.0, 200.0,  60.0,  200.0,  0.9,  200.0,  5.5,  0.2,  250.0,  300.0}},
            {"Laser Glide",           {0.8,  72.0, 1, 2, 1, 1.0, 0.5, 7.0,  0.0,  0, 0,  1200.0,  0.85, 8000.0, 1.0,   300.0,  0.1, 200.0,  2.0,   500.0,  0.8,  300.0,  15.0, 0.5,  0.0,    0.0}},
            {"Pedal Steel Guitar",    {0.85, 64.0, 0, 1, 0, 0.7, 0.6, 12.0, 2.0,  0, 0,  2500.0,  0.2,  2500.0, 2.0,   700.0,  0.3, 800.0,  5.0,   1500.0, 0.6,  1200.0, 5.0,  0.06, 600.0,  800.0}},
            {"Retro Horror",          {1.0,  60.0, 1, 0, 0, 1.0, 0.35, 6.0, 0.0,  0, 0,  4000.0,  0.1,  0.0,    5.0,   500.0,  1.0, 800.0,  200.0, 500.0,  1.0,  1200.0, 7.0,  1.0,  0.0,    300.0}},
            {"Sci-Fi UFO",            {0.8,  70.0, 1, 2, 1, 0.7, 0.7, 0.0,  30.0, 0, 2,  2500.0,  0.7,  1500.0, 500.0, 1000.0, 0.5, 800.0,  100.0, 500.0,  1.0,  1000.0, 12.0, 1.2,  0.0,    0.0}},
            {"Singing Saw",           {0.9,  67.0, 1, 0, 0, 1.0, 0.1, 12.0, 0.0,  0, 0,  5000.0,  0.0,  0.0,    5.0,   500.0,  1.0, 500.0,  400.0, 600.0,  0.9,  1000.0, 6.0,  0.35, 500.0,  800.0}},
            {"Sound Stone Sustainer", {0.85, 57.0, 0, 0, 0, 1.0, 0.3, 19.0, 5.0,  0, 0,  3000.0,  0.0,  0.0,    5.0,   500.0,  1.0, 500.0,  800.0, 1500.0, 1.0,  2000.0, 2.0,  0.04, 1000.0, 1500.0}},
            {"Spooky Whistle",        {0.8,  76.0, 1, 0, 0, 1.0, 0.0, 0.0,  0.0,  0, 1,  300.0,   0.1,  0.0,    5.0,   500.0,  1.0, 500.0,  350.0, 500.0,  1.0,  1500.0, 3.5,  0.6,  200.0,  800.0}},
            {"Vibrato Flute",         {0.85, 72.0, 0, 0, 1, 1.0, 0.12, 12.0, 0.0, 0, 0,  3500.0,  0.1,  1000.0, 40.0,  300.0,  0.5, 300.0,  80.0,  300.0,  0.9,  250.0,  5.0,  0.18, 200.0,  400.0}},
            {"Wooden Ocarina",        {0.85, 72.0, 0, 0, 0, 1.0, 0.08, 12.0, 0.0, 0, 0,  2500.0,  0.0,  0.0,    5.0,   500.0,  1.0, 500.0,  30.0,  200.0,  0.95, 200.0,  5.0,  0.08, 300.0,  300.0}},
        },
    });

    return instrument;
}

const Instrument& stageKeyboard()
{
    static const Instrument instrument = checked ({
        stageKeyboardFolder,
        {
            {"masterVol", real, 0, 2},
            {"model", integer, 0, 5}, // 0 Rhodes, 1 Wurli, 2 tack piano, 3 FM piano, 4 tonewheel, 5 transistor
            {"drive", real, 0, 1},
            {"bass", real, -1, 1},
            {"treble", real, -1, 1},
            {"tremRate", real, 0.1, 15}, // three presets have no tremolo at all and write 0.0
            {"tremDepth", real, 0, 1},
        },
        {
            {"Classic Suitcase",    {1.0, 0, 0.1, 0.2,  -0.1, 3.5, 0.4}},
            {"Eighties FM Ballad",  {1.0, 3, 0.0, 0.4,  0.5,  2.5, 0.2}},
            {"Gritty Tonewheel",    {0.9, 4, 0.5, 0.2,  0.2,  6.0, 0.3}},
            {"Ice Rink FM",         {1.0, 3, 0.0, -0.4, 0.8,  4.0, 0.5}},
            {"Jazz Club Wurli",     {1.0, 1, 0.4, 0.6,  -0.2, 4.0, 0.2}},
            {"Overdriven Reed",     {0.8, 1, 0.8, 0.2,  0.4,  0.0, 0.0}},
            {"Reggae Bubble Organ", {1.0, 4, 0.1, 0.2,  0.6,  0.0, 0.0}},
            {"Saloon Tack",         {0.8, 2, 0.1, -0.3, 0.8,  0.0, 0.0}},
            {"Sixties Transistor",  {0.9, 5, 0.3, -0.2, 0.5,  8.0, 0.6}},
            {"Tremolo Wash Rhodes", {1.0, 0, 0.1, 0.4,  -0.2, 1.5, 0.9}},
        },
    });

    return instrument;
}
// clang-format on

std::vector<const Instrument*> allInstruments()
{
    return {&monoBass(), &polySynth(), &tannerin(), &stageKeyboard()};
}

juce::File getInstrumentFolder (const Instrument& instrument, const juce::File& userDataFolder)
{
    return userDataFolder.getChildFile (presetsFolder).getChildFile (instrument.folderName);
}

std::unique_ptr<juce::XmlElement> createPresetXml (const Instrument& instrument, const Preset& preset)
{
    auto xml = std::make_unique<juce::XmlElement> (presetTag);
    size_t column = 0;

    for (const auto& setting : instrument.settings)
    {
        if (setting.fixedText != nullptr)
        {
            xml->setAttribute (setting.attribute, setting.fixedText);
            continue;
        }

        const auto value = column < preset.values.size() ? preset.values[column] : 0.0;
        ++column;

        if (setting.kind == ValueKind::real)
            xml->setAttribute (setting.attribute, value); // shortest text that reads back the same
        else
            xml->setAttribute (setting.attribute, juce::roundToInt (value));
    }

    return xml;
}

bool writePresetIfMissing (const juce::File& folder, const Instrument& instrument, const Preset& preset)
{
    const auto file = folder.getChildFile (juce::String (preset.name) + presetExtension);

    // Anything of that name, a file or even a folder, is left as it is.
    if (file.exists())
        return false;

    const auto xml = createPresetXml (instrument, preset);

    // Hidden, so a preset menu listing the folder meanwhile never offers the half-written file.
    juce::TemporaryFile temp (file, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temp.getFile());

        if (! out.openedOk())
            return false;

        xml->writeTo (out); // JUCE's default text: declaration, CR LF, wrapped at 60 columns
        out.flush();

        if (out.getStatus().failed())
            return false;
    }

    // A plain rename: juce's overwrite would delete whatever appeared there meanwhile.
    return ! file.exists() && Platform::replaceFile (temp.getFile(), file);
}

int installPresets (const Instrument& instrument, const juce::File& userDataFolder,
                    const std::function<bool()>& shouldStop)
{
    const auto folder = getInstrumentFolder (instrument, userDataFolder);

    if (! folder.isDirectory())
        folder.createDirectory(); // a failure makes every write below fail quietly

    int written = 0;

    for (const auto& preset : instrument.presets)
    {
        if (shouldStop != nullptr && shouldStop())
            break;

        if (writePresetIfMissing (folder, instrument, preset))
            ++written;
    }

    return written;
}

int installMonoBassPresets (const juce::File& userDataFolder)
{
    return installPresets (monoBass(), userDataFolder);
}

int installPolySynthPresets (const juce::File& userDataFolder)
{
    return installPresets (polySynth(), userDataFolder);
}

int installTannerinPresets (const juce::File& userDataFolder)
{
    return installPresets (tannerin(), userDataFolder);
}

int installStageKeyboardPresets (const juce::File& userDataFolder)
{
    return installPresets (stageKeyboard(), userDataFolder);
}
} // namespace FactoryPresets
