// The block callback: one call in three stages, in a fixed order. The control stage decides
// what the block does (locks, group faders, automation, the MIDI map, the parameter snapshot,
// the tape speed target); the sources-and-tape stage renders the instruments, routes every
// track's input and runs the tape; the console-and-master stage mixes and finishes the output.
//
// The audio thread never waits here: the audio lock and the automation lock are only tried, and
// a busy lock means silence or a skipped step. Nothing in an ordinary block allocates, writes a
// file or throws; what the audio thread must not do is posted to the message thread.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    block.startMilliseconds = juce::Time::getMillisecondCounterHiRes();
    const juce::ScopedTryLock lock (audioLock);

    if (! lock.isLocked() || isSuspended())
    {
        buffer.clear();
        return;
    }

    applyGroupFadersAndAutomation (buffer.getNumSamples());
    block.filteredMidi.clear();
    dispatchMidiMap (midiMessages, block.filteredMidi);

    const juce::ScopedNoDenormals noDenormals;

    if (buffer.getNumChannels() <= 0 || buffer.getNumSamples() <= 0)
        return;

    if (isSuspended())
    {
        buffer.clear();
        return;
    }

    // The block buffers hold what preparation gave them: a block longer than that is processed
    // only as far as they reach (the rest of the output stays silent), and a processor that was
    // never prepared outputs silence.
    auto n = juce::jmin (buffer.getNumSamples(), getBlockSize());

    if (trackInputBuffers.size() < (size_t)maxTracks)
        n = 0;
    else
        n = juce::jmin (n, trackInputBuffers.front().getNumSamples());

    block.activeTracks = juce::jmin (numTracks, (int)tracks.size(), (int)trackOutputBuffers.size());

    for (int i = 0; i < block.activeTracks; ++i)
        n = juce::jmin (n, trackOutputBuffers[(size_t)i].getNumSamples());

    if (n <= 0)
    {
        buffer.clear();
        return;
    }

    block.numSamples = n;
    block.sampleRate = getSampleRate() > 0.0 ? getSampleRate() : 44100.0;

    handOverAuxBuses (n);
    takeParameterSnapshot();
    updateScrub();
    chooseSpeedTarget();
    applyHeadSettings();

    renderInstrumentSlots();
    routeTrackInputs (buffer);
    runTapeLoop (buffer);

    runTrackInserts();
    mixTracks (buffer);

    processAuxReturn (aux1Plugin.get(), aux1BuiltIn, aux1Bus, aux1ReturnSmoother,
                      BlockParameters::read (blockParameters.aux1Return, 1.0f),
                      BlockParameters::isOn (blockParameters.aux1Mute), aux1PanSmoother,
                      BlockParameters::read (blockParameters.aux1Pan, 0.0f), midiMessages, buffer);
    processAuxReturn (aux2Plugin.get(), aux2BuiltIn, aux2Bus, aux2ReturnSmoother,
                      BlockParameters::read (blockParameters.aux2Return, 1.0f),
                      BlockParameters::isOn (blockParameters.aux2Mute), aux2PanSmoother,
                      BlockParameters::read (blockParameters.aux2Pan, 0.0f), midiMessages, buffer);

    // The fixed output trim that leaves the mix headroom before the master section.
    // Only the output bus: the buffer's other channels carried the device inputs, and nothing
    // reads them after the block.
    for (int ch = 0; ch < juce::jlimit (1, buffer.getNumChannels(), getTotalNumOutputChannels()); ++ch)
        buffer.applyGain (ch, 0, buffer.getNumSamples(), 0.35f);

    runMasterInserts (buffer);
    finishOutput (buffer);
}
