#include "effects/LineAmplifier.h"

#include <algorithm>
#include <cmath>

float lineAmpGainForDecibels (float dB) noexcept
{
    if (! (dB > -100.0f))
        return 0.0f;

    return std::pow (10.0f, std::min (dB, 48.0f) * 0.05f);
}

void setLineAmpGain (float* gain, float dB) noexcept
{
    if (gain != nullptr)
        *gain = lineAmpGainForDecibels (dB);
}

void setLineAmpGain (float& gain, float dB) noexcept
{
    gain = lineAmpGainForDecibels (dB);
}
