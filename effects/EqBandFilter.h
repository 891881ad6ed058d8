#pragma once

/** One equaliser band: a biquad in transposed direct form II for up to two channels, with the
    audio-EQ-cookbook low-shelf, peak and high-shelf designs. Coefficients are recomputed only when a
    setting (or the sample rate) changes. A new band passes signal unchanged until its first update.

    Settings are screened, since reels are not range-checked: a non-finite frequency, Q or gain leaves
    the band flat; otherwise the frequency is held within 10 Hz..0.45 x sample rate, Q within 0.01..100
    and the gain within +-48 dB. */
class EqBandFilter
{
public:
    enum Type
    {
        LowShelf = 0,
        Peak = 1,
        HighShelf = 2
    };

    static constexpr int maxChannels = 2;

    /** Recomputes the coefficients when any argument differs from the last call. A type outside 0..2
        keeps the old coefficients; a sample rate that is not above 0 changes nothing. */
    void update (float sampleRate, float freq, float q, float gainDb, int type) noexcept;

    /** The band's response at a frequency, in dB. */
    float getMagnitudeDb (float freq, float sampleRate) const noexcept;

    /** Filters one channel (0 or 1) in place. Output is held within +-24 and tiny values become 0;
        state that stopped being finite (a non-finite input) is cleared at the end of the block. */
    void process (float* samples, int numSamples, int channel) noexcept;

    /** Clears the filter state of both channels. */
    void reset() noexcept;

private:
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float z1[maxChannels] = {0.0f, 0.0f};
    float z2[maxChannels] = {0.0f, 0.0f};
    float lastFreq = -1.0f;
    float lastQ = -1.0f;
    float lastGainDb = -1000.0f;
    int lastType = -1;
    float lastSampleRate = -1.0f;
};
