#pragma once

/** Component IDs of the synthesizer editors' controls. Each is also the control's part of its
    MIDI-learn target ("INST_" + instrument type + "_" + ID), so they are stored in the global
    MIDI map and must never change. */
namespace InstrumentEditorIds
{
// Both synthesizers.
inline constexpr const char* tune = "TUNE";
inline constexpr const char* glide = "GLIDE";
inline constexpr const char* noise = "NOISE";
inline constexpr const char* lfoRate = "LFORATE";
inline constexpr const char* lfoAmount = "LFOAMT";
inline constexpr const char* lfoTarget = "LFOTARGET";
inline constexpr const char* cutoff = "CUTOFF";
inline constexpr const char* resonance = "RES";
inline constexpr const char* envMod = "ENVMOD";
inline constexpr const char* filterAttack = "FA";
inline constexpr const char* filterDecay = "FD";
inline constexpr const char* filterSustain = "FS";
inline constexpr const char* filterRelease = "FR";
inline constexpr const char* ampAttack = "AA";
inline constexpr const char* ampDecay = "AD";
inline constexpr const char* ampSustain = "AS";
inline constexpr const char* ampRelease = "AR";

// Mono synthesizer.
inline constexpr const char* octave = "OCTAVE";
inline constexpr const char* wave1 = "WAVE1";
inline constexpr const char* wave2 = "WAVE2";
inline constexpr const char* tune2 = "TUNE2";
inline constexpr const char* mix1 = "MIX1";
inline constexpr const char* mix2 = "MIX2";

// Poly synthesizer.
inline constexpr const char* volume = "VOL";
inline constexpr const char* velocity = "VEL";
inline constexpr const char* envToFreqA = "PMOD_FA";
inline constexpr const char* oscToFreqA = "PMOD_OA";
inline constexpr const char* oscToFilter = "PMOD_F";
inline constexpr const char* oscToWidth = "PMOD_PW";
inline constexpr const char* waveA = "O1WAVE";
inline constexpr const char* sync = "SYNC";
inline constexpr const char* octaveA = "O1OCT";
inline constexpr const char* widthA = "O1PW";
inline constexpr const char* levelA = "O1MIX";
inline constexpr const char* waveB = "O2WAVE";
inline constexpr const char* modeB = "O2MODE";
inline constexpr const char* octaveB = "O2OCT";
inline constexpr const char* fineB = "O2FINE";
inline constexpr const char* widthB = "O2PW";
inline constexpr const char* levelB = "O2MIX";
inline constexpr const char* lfoWave = "LFOWAVE";
inline constexpr const char* keyTrack = "TRACK";
} // namespace InstrumentEditorIds
