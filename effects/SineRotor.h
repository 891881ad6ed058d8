#pragma once

#include <cmath>

/** A sine and cosine that advance by a fixed angle each sample, by rotating a unit vector in double
    precision: exact to rounding over any block, and much cheaper than two library calls a sample.
    Start one per block from the oscillator's own phase. */
struct SineRotor
{
    SineRotor (double startAngle, double stepAngle) noexcept
        : sine (std::sin (startAngle)), cosine (std::cos (startAngle)), stepSine (std::sin (stepAngle)),
          stepCosine (std::cos (stepAngle))
    {
    }

    void advance() noexcept
    {
        const double nextSine = sine * stepCosine + cosine * stepSine;
        cosine = cosine * stepCosine - sine * stepSine;
        sine = nextSine;
    }

    double sine, cosine;
    double stepSine, stepCosine;
};
