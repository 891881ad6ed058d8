// The console-and-master stage of the block callback: track inserts, the channel faders with
// mute, solo and equal-power pan, the two post-fader aux sends and their returns, the master
// inserts and master fader; then meters, the clip lamp, the fade-in, the safety clamp, the
// live-bounce hand-off, the button sounds and the load estimate.

#include "engine/TavrelDelayAudioProcessor.h"
#include "lounge/LoungeRoomComponent.h"

#include "effects/BuiltInEffects.h"

#include <cmath>

namespace
{
constexpr int maxPluginChannels = 64;
constexpr float quarterTurn = 1.5708f; // the pan law's quarter circle
constexpr int meterStride = 16;        // the meters look at every 16th sample

/** Resizes a block buffer that preparation sized, without reallocating and without clearing. */
void useFirst (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    buffer.setSize (numChannels, numSamples, false, false, true);
}
} // namespace

//==============================================================================
void TavrelDelayAudioProcessor::runTrackInserts() noexcept
{
    const auto n = block.numSamples;

    for (const auto& slot : trackInserts)
    {
        if (slot == nullptr || slot->bypass || (slot->instance == nullptr && slot->builtInType == 0))
            continue;

        const auto t = slot->targetTrack;

        if (t < 0 || t >= block.activeTracks)
            continue;

        auto& output = trackOutputBuffers[(size_t)t];

        if (output.getNumSamples() < n || output.getNumChannels() < 1)
            continue;

        auto* plugin = slot->instance.get();
        const auto ins = plugin != nullptr ? plugin->getTotalNumInputChannels() : 2;
        const auto outs = plugin != nullptr ? plugin->getTotalNumOutputChannels() : 2;
        const auto channels = juce::jlimit (1, maxPluginChannels, juce::jmax (ins, outs));

        useFirst (masterInsertBuffer, channels, n);
        masterInsertBuffer.clear();

        if (ins > 0)
        {
            masterInsertBuffer.copyFrom (0, 0, output, 0, 0, n);

            if (ins > 1 && channels > 1)
                masterInsertBuffer.copyFrom (1, 0, output, 0, 0, n);
        }

        if (plugin != nullptr)
        {
            block.emptyMidi.clear();
            plugin->processBlock (masterInsertBuffer, block.emptyMidi);
        }
        else
        {
            runInsertEffect (*slot, masterInsertBuffer);
        }

        auto* y = output.getWritePointer (0);

        if (channels > 1)
        {
            juce::FloatVectorOperations::add (y, masterInsertBuffer.getReadPointer (0),
                                              masterInsertBuffer.getReadPointer (1), n);
            juce::FloatVectorOperations::multiply (y, 0.5f, n);
        }
        else
        {
            juce::FloatVectorOperations::copy (y, masterInsertBuffer.getReadPointer (0), n);
        }
    }
}

//==============================================================================
void TavrelDelayAudioProcessor::mixTracks (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto& b = block;
    const auto n = b.numSamples;
    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getNumChannels() > 1 ? buffer.getWritePointer (1) : nullptr;

    // The sends are mono: both channels of a bus get the same sum, so it is summed once.
    auto* send1 = aux1Bus.getWritePointer (0);
    auto* send2 = aux2Bus.getWritePointer (0);

    for (int i = 0; i < b.activeTracks; ++i)
    {
        const auto t = (size_t)i;
        auto& volume = volumeSmoothers[t];
        auto& aux1 = aux1SendSmoothers[t];
        auto& aux2 = aux2SendSmoothers[t];
        auto& pan = panSmoothers[t];

        volume.setTargetValue (BlockParameters::read (trackVolumeValues[t], 1.0f));
        aux1.setTargetValue (BlockParameters::read (trackAux1Values[t], 0.0f));
        aux2.setTargetValue (BlockParameters::read (trackAux2Values[t], 0.0f));
        pan.setTargetValue (b.pan[t]);

        // Muted tracks still move their smoothers, so unmuting starts from where they are.
        const bool silent = b.mute[t] || (b.anySolo && ! b.solo[t]);
        const auto* y = trackOutputBuffers[t].getReadPointer (0);

        if (! volume.isSmoothing() && ! aux1.isSmoothing() && ! aux2.isSmoothing() && ! pan.isSmoothing())
        {
            // Steady controls: the same gains for the whole block.
            if (silent)
                continue;

            const auto gain = volume.getCurrentValue();
            const auto q = (pan.getCurrentValue() + 1.0f) * 0.5f;
            juce::FloatVectorOperations::addWithMultiply (left, y, std::cos (q * quarterTurn) * gain, n);

            if (right != nullptr)
                juce::FloatVectorOperations::addWithMultiply (right, y, std::sin (q * quarterTurn) * gain, n);

            if (const auto a1 = aux1.getCurrentValue() * gain; a1 != 0.0f)
                juce::FloatVectorOperations::addWithMultiply (send1, y, a1, n);

            if (const auto a2 = aux2.getCurrentValue() * gain; a2 != 0.0f)
                juce::FloatVectorOperations::addWithMultiply (send2, y, a2, n);

            continue;
        }

        for (int s = 0; s < n; ++s)
        {
            const auto gain = volume.getNextValue();
            const auto a1 = aux1.getNextValue();
            const auto a2 = aux2.getNextValue();
            const auto q = (pan.getNextValue() + 1.0f) * 0.5f;

            if (silent)
                continue;

            const auto x = y[s] * gain;
            left[s] += std::cos (q * quarterTurn) * x;

            if (right != nullptr)
                right[s] += std::sin (q * quarterTurn) * x;

            send1[s] += x * a1;
            send2[s] += x * a2;
        }
    }

    aux1Bus.copyFrom (1, 0, aux1Bus, 0, 0, n);
    aux2Bus.copyFrom (1, 0, aux2Bus, 0, 0, n);
}

//==============================================================================
void TavrelDelayAudioProcessor::processAuxReturn (juce::AudioPluginInstance* plugin, int builtInType,
                                                  juce::AudioBuffer<float>& bus,
                                                  juce::SmoothedValue<float>& gainSmoother, float returnGain,
                                                  bool muted, juce::SmoothedValue<float>& panSmoother, float pan,
                                                  juce::MidiBuffer& midi, juce::AudioBuffer<float>& output) noexcept
{
    const auto n = block.numSamples;
    const auto& p = blockParameters;

    if (plugin != nullptr)
    {
        const auto wide = juce::jmax (plugin->getTotalNumInputChannels(), plugin->getTotalNumOutputChannels());

        if (wide <= 2)
        {
            plugin->processBlock (bus, midi);
        }
        else
        {
            useFirst (masterInsertBuffer, juce::jmin (wide, maxPluginChannels), n);
            masterInsertBuffer.clear();
            masterInsertBuffer.copyFrom (0, 0, bus, 0, 0, n);
            masterInsertBuffer.copyFrom (1, 0, bus, 1, 0, n);
            plugin->processBlock (masterInsertBuffer, midi);
            bus.copyFrom (0, 0, masterInsertBuffer, 0, 0, n);
            bus.copyFrom (1, 0, masterInsertBuffer, 1, 0, n);
        }
    }
    else if (builtInType == AnalogReverb)
    {
        // Both returns share the processor's one reverb and one echo.
        aux1Reverb.setParameters ((int)BlockParameters::read (p.revType, 1.0f) + 1,
                                  BlockParameters::read (p.revDecay, 0.5f), BlockParameters::read (p.revDamp, 0.5f),
                                  BlockParameters::read (p.revMix, 1.0f), BlockParameters::read (p.revPan, 0.0f));
        aux1Reverb.process (bus);
    }
    else if (builtInType == TapeEcho)
    {
        aux2Echo.setParameters (BlockParameters::read (p.echoTime, 300.0f), BlockParameters::read (p.echoFb, 0.4f),
                                (int)BlockParameters::read (p.echoAge, 1.0f) + 1,
                                BlockParameters::read (p.echoMix, 1.0f), BlockParameters::read (p.echoPan, 0.0f),
                                BlockParameters::isOn (p.echoSync), bpm, 1.0f);
        aux2Echo.process (bus);
    }

    // Gain and balance: at the centre both sides keep the return's gain.
    gainSmoother.setTargetValue (muted ? 0.0f : returnGain);
    panSmoother.setTargetValue (pan);
    auto* busLeft = bus.getNumChannels() > 0 ? bus.getWritePointer (0) : nullptr;
    auto* busRight = bus.getNumChannels() > 1 ? bus.getWritePointer (1) : nullptr;

    for (int s = 0; s < n; ++s)
    {
        const auto g = gainSmoother.getNextValue();
        const auto balance = panSmoother.getNextValue();

        if (busLeft != nullptr)
            busLeft[s] *= g * (balance < 0.0f ? 1.0f : 1.0f - balance);

        if (busRight != nullptr)
            busRight[s] *= g * (balance > 0.0f ? 1.0f : 1.0f + balance);
    }

    if (bus.hasBeenCleared())
        return;

    for (int ch = 0; ch < juce::jmin (output.getNumChannels(), bus.getNumChannels()); ++ch)
        output.addFrom (ch, 0, bus, ch, 0, n);
}

//==============================================================================
void TavrelDelayAudioProcessor::runMasterInserts (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto n = block.numSamples;

    // The buffer also carries the device inputs (24 channels): the mix is only the output bus.
    const auto outputs = juce::jlimit (1, buffer.getNumChannels(), getTotalNumOutputChannels());

    for (const auto& slot : masterInserts)
    {
        if (slot == nullptr || slot->bypass)
            continue;

        auto* plugin = slot->instance.get();

        if (plugin == nullptr && slot->builtInType == 0)
            continue;

        const auto ins = plugin != nullptr ? plugin->getTotalNumInputChannels() : outputs;
        const auto outs = plugin != nullptr ? plugin->getTotalNumOutputChannels() : outputs;
        const auto channels = juce::jlimit (1, maxPluginChannels, juce::jmax (outputs, ins, outs));

        useFirst (masterInsertBuffer, channels, n);
        masterInsertBuffer.clear();

        for (int ch = 0; ch < juce::jmin (outputs, channels); ++ch)
            masterInsertBuffer.copyFrom (ch, 0, buffer, ch, 0, n);

        if (plugin != nullptr)
        {
            block.emptyMidi.clear();
            plugin->processBlock (masterInsertBuffer, block.emptyMidi);
        }
        else
        {
            runInsertEffect (*slot, masterInsertBuffer);
        }

        for (int ch = 0; ch < juce::jmin (outputs, channels); ++ch)
            buffer.copyFrom (ch, 0, masterInsertBuffer, ch, 0, n);
    }

    // Master fader.
    masterVolumeSmoother.setTargetValue (BlockParameters::read (blockParameters.masterVol, 1.0f));
    auto* left = buffer.getWritePointer (0);
    auto* right = outputs > 1 ? buffer.getWritePointer (1) : nullptr;

    if (! masterVolumeSmoother.isSmoothing())
    {
        const auto gain = masterVolumeSmoother.getCurrentValue();
        juce::FloatVectorOperations::multiply (left, gain, n);

        if (right != nullptr)
            juce::FloatVectorOperations::multiply (right, gain, n);

        return;
    }

    for (int s = 0; s < n; ++s)
    {
        const auto gain = masterVolumeSmoother.getNextValue();
        left[s] *= gain;

        if (right != nullptr)
            right[s] *= gain;
    }
}

//==============================================================================
void TavrelDelayAudioProcessor::finishOutput (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto n = block.numSamples;
    const auto channels = buffer.getNumChannels();

    // Meters: block peaks from every 16th sample.
    const auto peakOf = [n] (const float* samples)
    {
        auto peak = 0.0f;

        for (int s = 0; s < n; s += meterStride)
            peak = juce::jmax (peak, std::abs (samples[s]));

        return peak;
    };

    const auto peakLeft = peakOf (buffer.getReadPointer (0));
    const auto peakRight = channels > 1 ? peakOf (buffer.getReadPointer (1)) : peakLeft;
    outputPeakLeft.exchange (peakLeft);
    outputPeakRight.exchange (peakRight);

    // The clip lamp lights above full scale and goes out only below 0.9.
    if (peakLeft > 1.0f || peakRight > 1.0f)
        outputClip = true;
    else if (outputClip.load() && peakLeft < 0.9f && peakRight < 0.9f)
        outputClip = false;

    // Fade-in after preparation: silence to full level in 0.25 s.
    if (fadeInGain < 1.0f)
    {
        const auto from = fadeInGain;
        fadeInGain = juce::jmin (1.0f, from + (float)(n / (block.sampleRate * 0.25)));

        for (int ch = 0; ch < channels; ++ch)
            buffer.applyGainRamp (ch, 0, n, from, fadeInGain);
    }

    // The sharing room's player; nothing in this program opens the room, so the pointer stays null.
    if (loungeRoom != nullptr)
        loungeRoom->mixIntoOutput (buffer);

    // Nothing that is not a number, and nothing past full scale, reaches the device (whose
    // outputs are the output bus; the other channels held its inputs).
    for (int ch = 0; ch < juce::jlimit (1, channels, getTotalNumOutputChannels()); ++ch)
    {
        auto* samples = buffer.getWritePointer (ch);

        for (int s = 0; s < n; ++s)
        {
            const auto x = samples[s];
            samples[s] = std::isfinite (x) ? juce::jlimit (-1.0f, 1.0f, x) : 0.0f;
        }
    }

    // A running live bounce takes the block as it goes out (a busy writer drops it).
    pushLiveBounceBlock (buffer, n);

    // Button sounds come after the clamp and the bounce: neither limited nor recorded.
    buttonVoice.mixInto (buffer);

    const auto blockMilliseconds = buffer.getNumSamples() / juce::jmax (block.sampleRate, 1.0) * 1000.0;

    if (blockMilliseconds > 0.0)
    {
        const auto load =
            (juce::Time::getMillisecondCounterHiRes() - block.startMilliseconds) / blockMilliseconds * 100.0;
        cpuLoadPercent = cpuLoadPercent.load() * 0.9f + (float)load * 0.1f;
    }
}
