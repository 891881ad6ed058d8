#pragma once

#include <vector>

/** The dispersion of the spring reverb: 64 identical Schroeder all-pass stages in series, each a few
    samples long (0.15 ms), which smear a click into the spring's chirp.

    All stages share one length and advance together, so a stage's ring buffer is one row of the
    signal's polyphase layout: a block is run row by row, four samples of a row at a time, which
    gives the same values as running every stage sample by sample. */
class SpringDispersion
{
public:
    static constexpr int numStages = 64;

    /** One stage: its last `length` values (padded with zeros to whole vectors) and its coefficient. */
    struct Stage
    {
        std::vector<float> buffer;
        float g = 0.0f;
    };

    /** Sizes and clears every stage for a sample rate and the longest block process() will see. */
    void prepare (double sampleRate, int maxBlockSize);

    /** Runs the chain over a block in place (at most maxBlockSize samples). */
    void process (float* samples, int numSamples) noexcept;

    int getStageLength() const noexcept { return length; }

private:
    float processSample (float x) noexcept;

    std::vector<Stage> stages;
    std::vector<float> rows; // one block in polyphase rows of `stride` floats
    int length = 0;          // samples per stage
    int stride = 0;          // length rounded up to whole vectors
    int pos = 0;             // shared read/write index of every stage
    int maxRows = 0;
};
