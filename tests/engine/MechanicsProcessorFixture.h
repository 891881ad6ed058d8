#pragma once

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

/** A processor with per-user and music folders of its own, and small helpers for the
    transport, loop, defect and device tests. */
class MechanicsProcessorTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};

    static float raw (TavrelDelayAudioProcessor& p, const juce::String& id)
    {
        return p.parameters.getRawParameterValue (id)->load();
    }

    static void setParameter (TavrelDelayAudioProcessor& p, const juce::String& id, float value)
    {
        auto* parameter = p.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    /** What the button voice starts playing at its next block: the sound and its gain, or
        no sound. The voice is then left idle again. */
    struct StartedSound
    {
        const juce::AudioBuffer<float>* sound = nullptr;
        float gain = 0.0f;
    };

    static StartedSound takeStartedSound (TavrelDelayAudioProcessor& p)
    {
        auto& voice = p.buttonVoice;
        voice.active = false;
        voice.sound = nullptr;

        juce::AudioBuffer<float> block (2, 1);
        block.clear();
        voice.mixInto (block);

        StartedSound started{voice.sound, voice.gain};
        voice.active = false;
        voice.sound = nullptr;
        return started;
    }
};
