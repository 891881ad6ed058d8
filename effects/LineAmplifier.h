#pragma once

/** The line amplifier is one linear gain owned by its slot. These set it from a level in dB: 10^(dB / 20),
    silence at -100 dB or below (and for a level that is not a number), at most +48 dB. The caller
    then multiplies the whole block by the gain. A null pointer is left alone. */
void setLineAmpGain (float* gain, float dB) noexcept;
void setLineAmpGain (float& gain, float dB) noexcept;

/** The linear gain for a line-amplifier level in dB, by the rule above. */
float lineAmpGainForDecibels (float dB) noexcept;
