#pragma once

#include "effects/EqBandFilter.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <memory>

/** The five-band equaliser: a low shelf, three peaking bells and a high shelf in series. The band
    settings are plain members that the slot's owner and the equaliser display write directly; each
    block picks up what changed (including the sample rate). Only channels 0 and 1 are filtered. */
class EqualizerEngine
{
public:
    static constexpr int numBands = 5;

    /** Updates the bands from the settings below and filters the first two channels in place. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    double sampleRate = 44100.0;
    std::array<EqBandFilter, numBands> bands;
    std::array<float, numBands> freq{60.0f, 250.0f, 1000.0f, 4000.0f, 12000.0f};
    std::array<float, numBands> q{0.7f, 1.0f, 1.0f, 1.0f, 0.7f};
    std::array<float, numBands> gainDb{0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    std::array<int, numBands> type{EqBandFilter::LowShelf, EqBandFilter::Peak, EqBandFilter::Peak, EqBandFilter::Peak,
                                   EqBandFilter::HighShelf};
};

/** A new equaliser at its initial settings, flat, at 44100 Hz until its sample rate is set. */
std::unique_ptr<EqualizerEngine> makeEqualizerEngine();
