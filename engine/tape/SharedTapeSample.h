#pragma once

/** One sample of a tape that the audio thread writes while a save thread may read it. Both
    sides go through these relaxed atomic accesses (plain moves on common processors): the save
    never reads a torn value, and a take that overlaps it is caught by the track's write
    sequence, which throws that copy away. */
namespace SharedTapeSample
{
inline float load (const float* sample) noexcept
{
    float value;
    __atomic_load (sample, &value, __ATOMIC_RELAXED);
    return value;
}

inline void store (float* sample, float value) noexcept
{
    __atomic_store (sample, &value, __ATOMIC_RELAXED);
}

/** Adds to a sample only the audio thread writes. */
inline void add (float* sample, float amount) noexcept
{
    store (sample, load (sample) + amount);
}
} // namespace SharedTapeSample
