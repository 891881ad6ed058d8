// Swapping two tracks of the reel: everything that belongs to a track moves with it in one
// step, so the block callback never plays a half-swapped pair.

#include "engine/ParameterIds.h"
#include "engine/ReelEditGuard.h"
#include "engine/TavrelDelayAudioProcessor.h"

#include <algorithm>

namespace
{
/** The source code that names a track's output as another track's input. */
constexpr int trackOutputSourceBase = 200;

void swapAtomics (std::atomic<int>& a, std::atomic<int>& b) noexcept
{
    const auto old = a.load();
    a = b.load();
    b = old;
}

/** The tape itself: its audio, how much of it was recorded, where it stands (as tape time)
    and its defects, which are marks on that tape. Filters, smoothers and the arm stay with
    the slot. */
void swapTapes (TapeTrack& a, TapeTrack& b) noexcept
{
    std::swap (a.audio, b.audio);
    const int lengthA = a.recordedLength;
    a.recordedLength = b.recordedLength.load();
    b.recordedLength = lengthA;

    const auto newPositionA = b.position / b.sampleRate * a.sampleRate;
    const auto newPositionB = a.position / a.sampleRate * b.sampleRate;
    a.position = newPositionA;
    b.position = newPositionB;

    std::swap (a.head.defects, b.head.defects);
    std::swap (a.head.cellCount, b.head.cellCount);

    // Both track files must be written again on the next save.
    a.dirty = true;
    b.dirty = true;
}
} // namespace

void TavrelDelayAudioProcessor::swapTracks (int trackA, int trackB)
{
    if (trackA == trackB || ! juce::isPositiveAndBelow (trackA, numTracks) ||
        ! juce::isPositiveAndBelow (trackB, numTracks) || ! juce::isPositiveAndBelow (trackA, (int)tracks.size()) ||
        ! juce::isPositiveAndBelow (trackB, (int)tracks.size()))
        return;

    const ReelEditGuard guard (*this);

    swapTapes (tracks[(size_t)trackA], tracks[(size_t)trackB]);

    // Routing: the two tracks' sources, and every track fed from the output of either.
    std::swap (trackInputSources[(size_t)trackA], trackInputSources[(size_t)trackB]);

    for (auto& source : trackInputSources)
    {
        if (source == trackOutputSourceBase + trackA)
            source = trackOutputSourceBase + trackB;
        else if (source == trackOutputSourceBase + trackB)
            source = trackOutputSourceBase + trackA;
    }

    // Automation: modes, groups, latch state, handed-over fader values and the rows.
    swapAtomics (automationModes[(size_t)trackA], automationModes[(size_t)trackB]);
    swapAtomics (channelGroups[(size_t)trackA], channelGroups[(size_t)trackB]);
    std::swap (automationLatched[(size_t)trackA], automationLatched[(size_t)trackB]);
    {
        const auto pendingA = pendingFaderValues[(size_t)trackA].load();
        pendingFaderValues[(size_t)trackA] = pendingFaderValues[(size_t)trackB].load();
        pendingFaderValues[(size_t)trackB] = pendingA;
    }

    if (automationData.getNumSamples() > 0 && trackA < automationData.getNumChannels() &&
        trackB < automationData.getNumChannels())
    {
        auto* rowA = automationData.getWritePointer (trackA);
        auto* rowB = automationData.getWritePointer (trackB);
        std::swap_ranges (rowA, rowA + automationData.getNumSamples(), rowB);
    }

    // The console parameters of the two strips, with their listeners told.
    for (const auto* prefix : {ParameterIds::VOL_, ParameterIds::PAN_, ParameterIds::TRIM_, ParameterIds::EQ_HIGH_,
                               ParameterIds::EQ_MID_FREQ_, ParameterIds::EQ_MID_GAIN_, ParameterIds::EQ_LOW_,
                               ParameterIds::AUX1_, ParameterIds::AUX2_, ParameterIds::MUTE_, ParameterIds::SOLO_,
                               ParameterIds::PHASE_, ParameterIds::MON_, ParameterIds::EQ_PRE_})
    {
        auto* a = parameters.getParameter (ParameterIds::forTrack (prefix, trackA + 1));
        auto* b = parameters.getParameter (ParameterIds::forTrack (prefix, trackB + 1));

        if (a == nullptr || b == nullptr)
            continue;

        const auto valueA = a->getValue();
        const auto valueB = b->getValue();
        static_cast<juce::AudioProcessorParameter*> (a)->setValue (valueB);
        a->sendValueChangedMessageToListeners (valueB);
        static_cast<juce::AudioProcessorParameter*> (b)->setValue (valueA);
        b->sendValueChangedMessageToListeners (valueA);
    }

    // Names: a track without a name gives the other none.
    {
        const juce::Identifier nameA (ParameterIds::forTrack (ParameterIds::TrackName_, trackA + 1));
        const juce::Identifier nameB (ParameterIds::forTrack (ParameterIds::TrackName_, trackB + 1));
        auto& state = parameters.state;
        const auto oldA = state.getProperty (nameA);
        const auto oldB = state.getProperty (nameB);
        const auto hadA = state.hasProperty (nameA);
        const auto hadB = state.hasProperty (nameB);

        if (hadB)
            state.setProperty (nameA, oldB, nullptr);
        else
            state.removeProperty (nameA, nullptr);

        if (hadA)
            state.setProperty (nameB, oldA, nullptr);
        else
            state.removeProperty (nameB, nullptr);
    }

    // Inserts aimed at either track follow it: the track inserts, and the record-path
    // inserts, which belong to the track's input as the routing does.
    for (auto* chain : {&trackInserts, &inputInserts})
    {
        for (auto& insert : *chain)
        {
            if (insert == nullptr)
                continue;

            if (insert->targetTrack == trackA)
                insert->targetTrack = trackB;
            else if (insert->targetTrack == trackB)
                insert->targetTrack = trackA;
        }
    }

    markUnsaved();
}
