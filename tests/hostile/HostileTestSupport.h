#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <time.h>

/** Ends the whole test program when the scope is still running after its time: a hostile file
    that makes an entry point hang must fail the run instead of hanging it. The time is wall
    time and generous (a hang is for ever); how long the work took is measured as processor
    time of the calling thread, which a machine busy with other tests does not inflate. */
class Watchdog
{
public:
    Watchdog (const char* what, double seconds)
        : thread ([this, what, seconds]
                  {
                      std::unique_lock<std::mutex> lock (mutex);

                      if (! done.wait_for (lock, std::chrono::duration<double> (seconds), [this] { return finished; }))
                      {
                          std::fprintf (stderr, "\nHUNG: %s did not finish within %.0f s\n", what, seconds);
                          std::fflush (stderr);
                          std::_Exit (3);
                      }
                  }),
          start (threadCpuSeconds())
    {
    }

    ~Watchdog()
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            finished = true;
        }

        done.notify_all();
        thread.join();
    }

    /** Seconds of processor time the calling thread spent since the watchdog started; call it
        on the thread that made the watchdog. */
    double elapsed() const { return threadCpuSeconds() - start; }

    static double threadCpuSeconds()
    {
        timespec now {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &now);
        return (double)now.tv_sec + (double)now.tv_nsec * 1.0e-9;
    }

private:
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread thread;
    double start;
};

namespace HostileBytes
{
inline juce::MemoryBlock bytes (std::initializer_list<int> values)
{
    juce::MemoryBlock block;

    for (auto v : values)
        block.append (&v, 1); // little-endian: the low byte

    return block;
}

inline juce::MemoryBlock text (const char* s)
{
    return {s, std::strlen (s)};
}

/** An XML document the parser loops on for ever: a processing instruction followed by text. */
inline juce::MemoryBlock processingInstructionThenText()
{
    return text ("<a><?x?>b</a>");
}

/** Four bytes that make the parser read past its buffer: "<a>" and a lone UTF-8 lead byte. */
inline juce::MemoryBlock truncatedUtf8()
{
    return text ("<a>\xf7");
}

/** A sound WAV file: a short mono click. */
inline juce::MemoryBlock shortWav()
{
    juce::MemoryBlock bytes;
    juce::AudioBuffer<float> click (1, 480);
    click.clear();
    click.setSample (0, 0, 0.5f);

    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (new juce::MemoryOutputStream (bytes, false), 48000.0, 1, 16, {}, 0));
        writer->writeFromAudioSampleBuffer (click, 0, click.getNumSamples());
    }

    return bytes;
}

/** A 60-byte WAV file whose frame (2000 channels of 32 bits) is wider than the reader's buffer;
    its data chunk claims far more than the file holds. */
inline juce::MemoryBlock wideFrameWav()
{
    juce::MemoryOutputStream out;
    out.write ("RIFF", 4);
    out.writeInt (52);
    out.write ("WAVE", 4);
    out.write ("fmt ", 4);
    out.writeInt (16);
    out.writeShort (1);    // PCM
    out.writeShort (2000); // channels
    out.writeInt (48000);
    out.writeInt (48000 * 2000 * 4);
    out.writeShort ((short)(2000 * 4));
    out.writeShort (32);
    out.write ("data", 4);
    out.writeInt (1 << 28);
    out.writeRepeatedByte (0, 16);
    return out.getMemoryBlock();
}

/** The same frame in an AIFF file. */
inline juce::MemoryBlock wideFrameAiff()
{
    juce::MemoryOutputStream out;
    out.write ("FORM", 4);
    out.writeIntBigEndian (4 + 26 + 16 + 16);
    out.write ("AIFF", 4);
    out.write ("COMM", 4);
    out.writeIntBigEndian (18);
    out.writeShortBigEndian (2000);
    out.writeIntBigEndian (1 << 20); // sample frames
    out.writeShortBigEndian (32);
    const unsigned char rate48k[10] = {0x40, 0x0e, 0xbb, 0x80, 0, 0, 0, 0, 0, 0};
    out.write (rate48k, 10);
    out.write ("SSND", 4);
    out.writeIntBigEndian (1 << 28);
    out.writeIntBigEndian (0);
    out.writeIntBigEndian (0);
    out.writeRepeatedByte (0, 8);
    return out.getMemoryBlock();
}

/** A state blob as a host stores it (JUCE's binary XML form) around the given text bytes. */
inline juce::MemoryBlock stateBlob (const juce::MemoryBlock& text)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int)text.getSize());
    out << text;
    out.writeByte (0);
    return out.getMemoryBlock();
}
} // namespace HostileBytes
