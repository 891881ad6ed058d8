#pragma once

// Names the console and its strips use besides the parameter identifiers (ParameterIds.h):
// component IDs of controls that have no parameter (MIDI learn binds by them, so they are a
// stored format) and the component properties that keep the meters' state.
namespace ConsoleIds
{
/** The record-arm button of a track: "ARM_" + track number; the MIDI map arms the track by it. */
inline constexpr const char* armPrefix = "ARM_";

// The master meters (console properties; a missing key reads as 0).
inline constexpr const char* averageLeft = "avgL";
inline constexpr const char* averageRight = "avgR";
inline constexpr const char* holdLeft = "holdL";
inline constexpr const char* holdRight = "holdR";
inline constexpr const char* lowCpuSkip = "skip";

/** A strip's last low-CPU readout text (strip property). */
inline constexpr const char* lastDb = "lastDb";

/** The component name of the PRINT EQ and INS buttons. */
inline constexpr const char* printEqName = "PRE";
inline constexpr const char* insertName = "INS";
} // namespace ConsoleIds
