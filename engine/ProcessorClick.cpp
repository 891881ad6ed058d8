// The metronome: a tape of clicks aligned to the zero point that plays beside the tracks,
// and the project tempo and time signature it follows.

#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/ProcessingHold.h"

#include "engine/ClickTrackRenderer.h"
#include "engine/ParameterIds.h"

#include <new>

namespace
{
void storeTempo (TavrelDelayAudioProcessor& p, const ClickTrackRenderer::Tempo& tempo)
{
    p.bpm = tempo.bpm;
    p.timeSigNumerator = tempo.beatsPerBar;
    p.timeSigDenominator = tempo.beatUnit;

    auto& state = p.parameters.state;
    state.setProperty (ParameterIds::PROJECT_BPM, tempo.bpm, nullptr);
    state.setProperty (ParameterIds::PROJECT_TS_NUM, tempo.beatsPerBar, nullptr);
    state.setProperty (ParameterIds::PROJECT_TS_DENOM, tempo.beatUnit, nullptr);
}

void renderInPlace (TapeTrack& track, const ClickTrackRenderer::Tempo& tempo, int subdivision, double zeroOffset)
{
    auto& tape = track.getAudio();
    ClickTrackRenderer::render (tape.getWritePointer (0), tape.getNumSamples(), track.sampleRate, tempo, subdivision,
                                zeroOffset);
    track.recordedLength = tape.getNumSamples();
}
} // namespace

void TavrelDelayAudioProcessor::setTempo (double newBpm, int beatsPerBar, int beatUnit)
{
    const auto tempo = ClickTrackRenderer::clampTempo (newBpm, beatsPerBar, beatUnit);

    if (std::abs (tempo.bpm - bpm) < 0.001 && tempo.beatsPerBar == timeSigNumerator &&
        tempo.beatUnit == timeSigDenominator)
        return;

    storeTempo (*this, tempo);

    if (clickTrack != nullptr)
        renderClickTrack (bpm, timeSigNumerator, timeSigDenominator, 0);

    unsavedChanges = true;
}

void TavrelDelayAudioProcessor::setClickEnabled (bool enabled, double newBpm, int beatsPerBar, int beatUnit)
{
    // The callers pass what their boxes hold: limited like setTempo, so that the render
    // never sees a zero beat or bar.
    if (newBpm > 0.0)
        storeTempo (*this, ClickTrackRenderer::clampTempo (newBpm, beatsPerBar, beatUnit));

    const ProcessingHold hold (*this);
    std::unique_ptr<TapeTrack> retired;

    if (enabled)
    {
        // The new tape is made and rendered before the audio lock is taken: a long reel's
        // tape takes a while, and only the hand-over needs the lock.
        auto track = std::make_unique<TapeTrack>();
        const auto& reference = tracks.front();
        const auto seconds = reference.getAudio().getNumSamples() > 0 && reference.sampleRate > 0.0
                                 ? reference.getAudio().getNumSamples() / reference.sampleRate
                                 : 600.0;

        bool ready = false;

        try
        {
            ready = track->prepare (getSampleRate(), seconds).wasOk();

            if (ready)
            {
                track->setOutputGain (1.0f);
                renderInPlace (*track, ClickTrackRenderer::clampTempo (bpm, timeSigNumerator, timeSigDenominator), 0,
                               zeroOffset);
            }
        }
        catch (const std::bad_alloc&)
        {
            ready = false;
        }

        // A click that the memory cannot hold stays off.
        const juce::ScopedLock lock (audioLock);
        retired = std::move (clickTrack);

        if (ready)
        {
            track->setPositionSeconds (tracks.front().getPositionSeconds());
            clickTrack = std::move (track);
        }
    }
    else
    {
        const juce::ScopedLock lock (audioLock);
        retired = std::move (clickTrack);
    }
}

void TavrelDelayAudioProcessor::renderClickTrack (double newBpm, int beatsPerBar, int beatUnit, int subdivision)
{
    if (clickTrack == nullptr)
        return;

    // Reels and settings may hold a tempo the grid cannot use.
    const auto tempo = ClickTrackRenderer::clampTempo (newBpm, beatsPerBar, beatUnit);
    const auto length = clickTrack->getAudio().getNumSamples();

    // Rendered into a fresh tape and handed over under the audio lock, so that the block
    // callback never plays a half-written tape and is kept out only for the hand-over.
    juce::AudioBuffer<float> retired;

    try
    {
        juce::AudioBuffer<float> fresh (1, length);
        ClickTrackRenderer::render (fresh.getWritePointer (0), length, clickTrack->sampleRate, tempo, subdivision,
                                    zeroOffset);

        const juce::ScopedLock lock (audioLock);
        retired = std::move (clickTrack->getAudio());
        clickTrack->getAudio() = std::move (fresh);
        clickTrack->recordedLength = length;
    }
    catch (const std::bad_alloc&)
    {
        // No room for a second tape: rewrite the tape itself, with the block callback kept out.
        const juce::ScopedLock lock (audioLock);
        renderInPlace (*clickTrack, tempo, subdivision, zeroOffset);
    }
}

void TavrelDelayAudioProcessor::toggleClick()
{
    const double tempo = bpm;
    const int beatsPerBar = timeSigNumerator, beatUnit = timeSigDenominator;
    setClickEnabled (clickTrack == nullptr, tempo > 0.0 ? tempo : 120.0, beatsPerBar > 0 ? beatsPerBar : 4,
                     beatUnit > 0 ? beatUnit : 4);
}

void TavrelDelayAudioProcessor::postClickToggle()
{
    audioThreadRequests.post (AudioThreadRequests::clickToggle);
}
