#include "effects/SpringDispersion.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <vector>

TEST (SpringDispersion, IsAnAllPassWhateverTheBlockSize)
{
    // Stage lengths 3 to 28 samples: below, at and well above one vector of four.
    for (const double sampleRate : {22050.0, 44100.0, 48000.0, 96000.0, 192000.0})
    {
        SCOPED_TRACE (sampleRate);
        const auto noise = AudioTestUtils::makeNoise (1, 30000, 0.5f);
        std::vector<float> reference (noise.getReadPointer (0), noise.getReadPointer (0) + 30000);

        // One sample at a time is the plain stage-by-stage recursion.
        SpringDispersion single;
        single.prepare (sampleRate, 1);
        for (auto& x : reference)
            single.process (&x, 1);

        for (const int blockSize : {5, 64, 1000, 4096})
        {
            SCOPED_TRACE (blockSize);
            SpringDispersion blocked;
            blocked.prepare (sampleRate, blockSize);
            std::vector<float> out (noise.getReadPointer (0), noise.getReadPointer (0) + 30000);
            for (int start = 0; start < (int)out.size(); start += blockSize)
                blocked.process (out.data() + start, std::min (blockSize, (int)out.size() - start));

            for (size_t i = 0; i < out.size(); ++i)
                ASSERT_EQ (out[i], reference[i]) << "sample " << i;
        }

        // An all-pass keeps the energy of a click and only spreads it out in time.
        SpringDispersion chain;
        chain.prepare (sampleRate, 8192);
        std::vector<float> click (8192 * 4, 0.0f);
        click[0] = 1.0f;
        double energy = 0.0, firstSampleEnergy = 0.0;
        for (size_t start = 0; start < click.size(); start += 8192)
            chain.process (click.data() + start, 8192);
        for (const float v : click)
            energy += (double)v * v;
        firstSampleEnergy = (double)click[0] * click[0];
        EXPECT_NEAR (energy, 1.0, 1.0e-3);
        EXPECT_LT (firstSampleEnergy, 0.01);
    }
}
