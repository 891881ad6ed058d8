#pragma once

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>
#include <juce_graphics/juce_graphics.h>

#include <functional>

/** Files the sharing room's tests serve and cache: Ogg tapes, WAV mixdowns of exact sizes
    and room pictures, all made here. */
namespace LoungeTestFiles
{
inline juce::MemoryBlock oggTape (double seconds = 1.0, double rate = 48000.0)
{
    juce::MemoryBlock block;
    juce::OggVorbisAudioFormat ogg;
    auto* stream = new juce::MemoryOutputStream (block, false);
    std::unique_ptr<juce::AudioFormatWriter> writer (ogg.createWriterFor (stream, rate, 2, 16, {}, 4));

    if (writer == nullptr)
    {
        delete stream;
        return {};
    }

    juce::AudioBuffer<float> audio (2, (int) (seconds * rate));
    for (int s = 0; s < audio.getNumSamples(); ++s)
        for (int ch = 0; ch < 2; ++ch)
            audio.setSample (ch, s, 0.4f * (float) std::sin (0.05 * s + ch));

    writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
    writer.reset();
    return block;
}

/** A WAV file of a constant level. */
inline bool writeWav (const juce::File& file, int numSamples, float level, int bits = 32, int channels = 2, double rate = 48000.0)
{
    file.deleteFile();
    juce::WavAudioFormat wav;
    auto stream = file.createOutputStream();
    if (stream == nullptr)
        return false;

    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), rate, (unsigned) channels, bits, {}, 0));
    if (writer == nullptr)
        return false;

    stream.release();
    juce::AudioBuffer<float> audio (channels, juce::jmax (1, numSamples));
    for (int ch = 0; ch < channels; ++ch)
        juce::FloatVectorOperations::fill (audio.getWritePointer (ch), level, audio.getNumSamples());

    return writer->writeFromAudioSampleBuffer (audio, 0, numSamples);
}

/** A playable 8-bit mono WAV file of exactly the size asked for (an odd size gets one byte
    of padding after the RIFF data, which readers ignore). */
inline bool writeWavOfSize (const juce::File& file, juce::int64 size)
{
    for (int n = (int) size - 40; n > (int) size - 300; --n)
    {
        if (! writeWav (file, n, 0.25f, 8, 1))
            return false;

        if (file.getSize() == size)
            return true;

        if (file.getSize() == size - 1)
            return file.appendData ("", 1) && file.getSize() == size;
    }

    return false;
}

/** A noisy picture, so that its PNG is several kilobytes. */
inline juce::MemoryBlock roomPicture (int width = 320, int height = 180)
{
    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Random random (7);

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) (60 + random.nextInt (40)), (juce::uint8) (35 + random.nextInt (20)), (juce::uint8) 20));

    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}

/** Runs the message loop until done() or the time-out; returns done(). */
inline bool pumpUntil (const std::function<bool()>& done, int timeoutMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! done() && juce::Time::getMillisecondCounter() < end)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    return done();
}
} // namespace LoungeTestFiles
