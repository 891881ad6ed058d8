// Editing the tape-defect maps of all tracks: clearing, brush strokes and random wear.
//
// Every track gets the same stroke at the same place of its map. The maps are written cell
// by cell without a lock (each write is one float) from the message thread (tape strip) or
// the audio thread (MIDI command, Auto-Wear); they are never resized here. Edits mark
// nothing as changed: the maps are written with every save.

#include "engine/TavrelDelayAudioProcessor.h"

void TavrelDelayAudioProcessor::clearAllTapeDefects()
{
    for (auto& track : tracks)
        track.getHead().clearDefects();
}

void TavrelDelayAudioProcessor::paintTapeDefect (float position, int lane, int kind, float halfWidthSeconds,
                                                 float strength)
{
    for (auto& track : tracks)
    {
        auto& head = track.getHead();

        if (head.cellCount <= 0)
            continue;

        // position runs across the 30-s loop of the map.
        const auto loopSamples =
            (int)(head.sampleRate * TapeHeadModel::defaultCellCount / TapeHeadModel::cellsPerSecond);
        head.paintSpot ((double)loopSamples * position, lane, kind, halfWidthSeconds, strength);
    }
}

void TavrelDelayAudioProcessor::generateRandomDefects (float rate)
{
    // A stroke with probability rate: mostly short dropouts, now and then a splice.
    if (rate < wearRandom.nextFloat())
        return;

    const auto position = wearRandom.nextFloat();
    const auto lane = wearRandom.nextInt (TapeDefectCell::numLanes);
    const auto kind = wearRandom.nextFloat() > 0.98f ? TapeDefectKind::splice : TapeDefectKind::dropout;
    const auto halfWidthSeconds = wearRandom.nextFloat() * 0.015f + 0.005f;
    const auto strength = wearRandom.nextFloat() * rate * 2.0f;

    paintTapeDefect (position, lane, kind, halfWidthSeconds, strength);

    // Worn tape also runs less evenly.
    speedWander += (wearRandom.nextFloat() - 0.5f) * 0.2f * rate;
}
