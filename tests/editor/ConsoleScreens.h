#pragma once

#include "EditorTestSupport.h"

#include "engine/ParameterIds.h"

// A console in use, for its screenshots: named tracks on the masking tape, sources, two groups,
// automation modes, one armed track and levels on the meters.
namespace EditorTest
{
inline void dressConsole (EditorFixture& f)
{
    auto& p = *f.processor;
    const char* names[] = {"Kick", "Snare", "Bass", "Keys", "Vox", "Gtr L", "Gtr R", "Organ"};
    const int sources[] = {0, 1, 2, 3, 4, 100, 101, 204};
    const float levels[] = {0.55f, 0.8f, 0.35f, 0.6f, 1.1f, 0.45f, 0.5f, 0.0f};

    for (int i = 0; i < 8; ++i)
    {
        p.parameters.state.setProperty (ParameterIds::forTrack (ParameterIds::TrackName_, i + 1), names[i], nullptr);
        p.trackInputSources[(size_t) i] = sources[i];
        p.tracks[(size_t) i].armed = i == 4;
        p.tracks[(size_t) i].meterLevel = levels[i];
    }

    p.channelGroups[5] = p.channelGroups[6] = 2;
    p.channelGroups[0] = p.channelGroups[1] = 1;
    p.automationModes[2] = TavrelDelayAudioProcessor::automationRead;
    p.automationModes[4] = TavrelDelayAudioProcessor::automationWrite;
    p.outputPeakLeft = 0.7f;
    p.outputPeakRight = 0.9f;
    p.addBuiltInInstrument (3);

    f.editor->dustCover->putAwayAtOnce();
    f.showDeck();
    if (! f.editor->maskingTapeVisible)
        f.editor->toggleMaskingTape();
    f.editor->console->refreshAll();
    for (auto* strip : f.editor->console->strips)
        strip->timerCallback();
}
} // namespace EditorTest
