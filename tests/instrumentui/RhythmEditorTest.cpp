#include "instruments/RhythmEngine.h"
#include "tests/instrumentui/RhythmUiTestSupport.h"
#include "tests/support/TempDir.h"
#include "ui/deck/FlowDialog.h"
#include "ui/instruments/BuiltInRhythmEditor.h"
#include "ui/instruments/BuiltInRhythmEditorIds.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

#include <future>

using namespace RhythmUiTest;

namespace
{
struct RhythmEditorTest : ::testing::Test
{
    TavrelDelayAudioProcessor processor;
    std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot = addRhythmSlot (processor);
    RhythmEngine& engine = *slot->rhythmEngine;
    std::unique_ptr<BuiltInRhythmEditor> editor = std::make_unique<BuiltInRhythmEditor> (processor, slot.get());

    void tick() { editor->timerCallback(); }

    juce::TextButton& step (int row, int s) { return *editor->stepButtons[row * 16 + s]; }

    bool buttonsMatchGrid()
    {
        for (int row = 0; row < 10; ++row)
            for (int s = 0; s < 16; ++s)
                if (step (row, s).getToggleState() != engine.steps[row][s])
                    return false;
        return true;
    }

    int onPatternButton()
    {
        for (int i = 0; i < editor->patternButtons.size(); ++i)
            if (editor->patternButtons[i]->getToggleState())
                return i;
        return -1;
    }
};

/** Reads as one channel of 1000 frames and, while decoding, notes whether another thread could
    take the processor's audio lock and whether processing ran on: the block callback must not
    wait for a file being decoded. */
struct ProbeFormat : juce::AudioFormat
{
    explicit ProbeFormat (TavrelDelayAudioProcessor& p) : juce::AudioFormat ("Probe", ".probe"), processor (p) {}

    struct Reader : juce::AudioFormatReader
    {
        Reader (juce::InputStream* in, ProbeFormat& f) : juce::AudioFormatReader (in, "Probe"), format (f)
        {
            sampleRate = 44100.0;
            bitsPerSample = 16;
            lengthInSamples = 1000;
            numChannels = 1;
        }

        bool readSamples (int* const* dest, int numDest, int startOffset, juce::int64, int numSamples) override
        {
            auto& lock = format.processor.audioLock;
            format.lockFreeWhileDecoding = std::async (std::launch::async, [&lock]
                                                       {
                                                           const bool got = lock.tryEnter();
                                                           if (got)
                                                               lock.exit();
                                                           return got;
                                                       }).get();
            format.processingRanWhileDecoding = ! format.processor.isSuspended();
            ++format.decodes;
            for (int c = 0; c < numDest; ++c)
                if (dest[c] != nullptr)
                    for (int i = 0; i < numSamples; ++i)
                        dest[c][startOffset + i] = 1 << 28;
            return true;
        }

        ProbeFormat& format;
    };

    juce::Array<int> getPossibleSampleRates() override { return {44100}; }
    juce::Array<int> getPossibleBitDepths() override { return {16}; }
    bool canDoStereo() override { return false; }
    bool canDoMono() override { return true; }
    juce::AudioFormatReader* createReaderFor (juce::InputStream* in, bool) override { return new Reader (in, *this); }
    juce::AudioFormatWriter* createWriterFor (juce::OutputStream*, double, unsigned int, int,
                                              const juce::StringPairArray&, int) override
    {
        return nullptr;
    }

    TavrelDelayAudioProcessor& processor;
    bool lockFreeWhileDecoding = false;
    bool processingRanWhileDecoding = false;
    int decodes = 0;
};
} // namespace

TEST_F (RhythmEditorTest, LaysOutItsPanelsAtTheDesignSize)
{
    ASSERT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 1350, 480));

    EXPECT_EQ (editor->patternArea, juce::Rectangle<int> (127, 77, 192, 262));
    EXPECT_EQ (editor->matrixArea, juce::Rectangle<int> (334, 77, 431, 262));
    EXPECT_EQ (editor->mixerArea, juce::Rectangle<int> (780, 77, 452, 262));
    EXPECT_EQ (editor->masterArea, juce::Rectangle<int> (127, 354, 1105, 90));

    EXPECT_EQ (editor->patternButtons[0]->getBounds(), juce::Rectangle<int> (133, 141, 40, 26));
    EXPECT_EQ (step (0, 0).getBounds(), juce::Rectangle<int> (375, 130, 16, 16));
    EXPECT_EQ (step (9, 15).getBounds(), juce::Rectangle<int> (726, 301, 16, 16));
    EXPECT_EQ (editor->voiceLabels[0]->getBounds(), juce::Rectangle<int> (339, 128, 30, 20));

    // Mixer columns are 45 wide: voice 0's centre is 802.
    EXPECT_EQ (editor->voiceLevelKnobs[0].getBounds(), juce::Rectangle<int> (781, 147, 42, 42));
    EXPECT_EQ (editor->voiceLengthKnobs[1].getBounds(), juce::Rectangle<int> (826, 261, 42, 42));
    EXPECT_EQ (editor->sampleButtons[0]->getBounds(), juce::Rectangle<int> (782, 314, 41, 18));
    EXPECT_EQ (editor->tempoKnob.getBounds(), juce::Rectangle<int> (249, 380, 46, 64));

    EXPECT_EQ (editor->playButton.getBounds(), juce::Rectangle<int> (1082, 384, 110, 30));
    EXPECT_EQ (editor->syncButton.getBounds(), juce::Rectangle<int> (957, 384, 110, 30));
    EXPECT_EQ (editor->clearButton.getBounds(), juce::Rectangle<int> (832, 384, 110, 30));

    EXPECT_EQ (editor->presetButton.getBounds(), juce::Rectangle<int> (1097, 47, 130, 20));
    EXPECT_EQ (editor->learnButton.getBounds(), juce::Rectangle<int> (997, 47, 90, 20));
    EXPECT_EQ (editor->matrixButton.getBounds(), juce::Rectangle<int> (927, 47, 60, 20));
    EXPECT_EQ (editor->padsButton.getBounds(), juce::Rectangle<int> (867, 47, 50, 20));
    EXPECT_EQ (editor->glassPane.getBounds(), editor->getLocalBounds());

    EXPECT_EQ (editor->padsButton.getButtonText(), "PADS");
    EXPECT_EQ (editor->presetButton.getButtonText(), "Default");
    EXPECT_EQ (editor->playButton.getButtonText(), "OFF");
    EXPECT_EQ (editor->patternButtons[15]->getButtonText(), "CUSTOM");
    EXPECT_EQ (editor->sampleButtons[3]->getButtonText(), "[ SYNTH ]");
    EXPECT_TRUE (editor->isTimerRunning());
    EXPECT_EQ (editor->getTimerInterval(), 33);
}

TEST_F (RhythmEditorTest, ControlsCarryTheirLearnIdsAndCaptions)
{
    EXPECT_EQ (editor->tempoKnob.getComponentID(), "BPM");
    EXPECT_EQ (editor->voiceTuneKnobs[9].getComponentID(), "T_9");
    EXPECT_EQ (editor->syncButton.getComponentID(), "SYNC");
    EXPECT_EQ (editor->playButton.getComponentID(), "PLAY");
    EXPECT_EQ (editor->learnIdFor ("BPM"), "INST_2_BPM");
    EXPECT_TRUE (step (0, 0).getComponentID().isEmpty());

    ASSERT_EQ (editor->captionLabels.size(), 34);
    EXPECT_EQ (editor->captionLabels[0]->getText(), "VOL");
    EXPECT_EQ (editor->captionLabels[2]->getText(), "LGTH");
    EXPECT_EQ (editor->captionLabels[30]->getText(), "MAIN VOL");
    EXPECT_EQ (editor->captionLabels[33]->getText(), "SWING");
    EXPECT_EQ (editor->voiceLabels[8]->getText(), "T-H");

    // Knob texts: tempo and steps whole, the rest two decimals; voice knobs have no text box.
    EXPECT_EQ (editor->tempoKnob.getTextFromValue (121.6), "122");
    EXPECT_EQ (editor->swingKnob.getTextFromValue (0.333), "0.33");
    EXPECT_EQ (editor->swingKnob.getTextFromValue (0.0), "0.00");
    for (auto* knob : {&editor->masterVolumeKnob, &editor->tempoKnob, &editor->stepsKnob, &editor->swingKnob})
    {
        juce::Label* box = nullptr;
        for (auto* child : knob->getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                box = label;
        ASSERT_NE (box, nullptr);
        EXPECT_EQ (box->getText(), knob->getTextFromValue (knob->getValue())) << knob->getComponentID();
    }
    EXPECT_EQ (editor->voiceLevelKnobs[0].getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ (editor->masterVolumeKnob.getTextBoxPosition(), juce::Slider::TextBoxBelow);
}

TEST_F (RhythmEditorTest, AnEditorWithoutAnEngineHasNoControlsNoTimerAndNoSize)
{
    auto other = makeInstrumentPlugin();
    other->builtInType = BuiltInInstruments::MonoSynth;
    other->createEngine (44100.0);

    for (auto* s : {other.get(), static_cast<TavrelDelayAudioProcessor::InstrumentPlugin*> (nullptr)})
    {
        BuiltInRhythmEditor empty (processor, s);
        EXPECT_TRUE (empty.getBounds().isEmpty());
        EXPECT_FALSE (empty.isTimerRunning());
        EXPECT_TRUE (empty.stepButtons.isEmpty());
        EXPECT_TRUE (empty.patternButtons.isEmpty());
        empty.timerCallback();
        empty.handleSampleMenuChoice (0, 2);
        EXPECT_FALSE (empty.loadSample (0, juce::File ("/nonexistent.wav")));
    }
}

TEST_F (RhythmEditorTest, PatternChoiceLoadsTheGridAndCustomKeepsIt)
{
    processor.unsavedChanges = false;
    ASSERT_EQ (onPatternButton(), 0);

    ASSERT_TRUE (click (*editor->patternButtons[2])); // DISCO
    EXPECT_EQ (engine.rmPattern, 2);
    EXPECT_EQ (onPatternButton(), 2);
    EXPECT_TRUE (processor.unsavedChanges);
    EXPECT_TRUE (engine.steps[5][2]);  // open hat on the off-beat
    EXPECT_FALSE (engine.steps[1][4]); // no SN1 in DISCO
    EXPECT_TRUE (buttonsMatchGrid());

    ASSERT_TRUE (click (*editor->patternButtons[15]));
    EXPECT_EQ (engine.rmPattern, 15);
    EXPECT_TRUE (engine.steps[5][2]) << "CUSTOM keeps the steps there are";
    EXPECT_TRUE (buttonsMatchGrid());
}

TEST_F (RhythmEditorTest, EditingAStepOrClearingSwitchesToCustom)
{
    processor.unsavedChanges = false;
    ASSERT_FALSE (engine.steps[9][3]);

    ASSERT_TRUE (click (step (9, 3)));
    EXPECT_TRUE (engine.steps[9][3]);
    EXPECT_EQ (engine.rmPattern, 15);
    EXPECT_EQ (onPatternButton(), 15);
    EXPECT_TRUE (processor.unsavedChanges);

    ASSERT_TRUE (click (*editor->patternButtons[11])); // MARCH
    ASSERT_TRUE (click (editor->clearButton));
    for (auto& row : engine.steps)
        for (bool cell : row)
            EXPECT_FALSE (cell);
    EXPECT_EQ (engine.rmPattern, 15);
    EXPECT_EQ (onPatternButton(), 15);
    EXPECT_TRUE (buttonsMatchGrid());
}

TEST_F (RhythmEditorTest, TimerFollowsGridEditsMadeElsewhereAndThePlayingStep)
{
    engine.steps[3][7] = true;
    engine.rmPattern = 15;
    engine.playing = true;
    engine.currentStep = 6;
    tick();

    EXPECT_TRUE (step (3, 7).getToggleState());
    EXPECT_EQ (onPatternButton(), 15);
    EXPECT_EQ (editor->shownStep, 6);
    EXPECT_TRUE (editor->playButton.getToggleState());
    EXPECT_EQ (editor->playButton.getButtonText(), "ON");

    engine.playing = false;
    tick();
    EXPECT_EQ (editor->shownStep, -1);
    EXPECT_EQ (editor->playButton.getButtonText(), "OFF");
}

TEST_F (RhythmEditorTest, KnobsWriteTheEngineAndFollowItBack)
{
    processor.unsavedChanges = false;
    editor->voiceTuneKnobs[4].setValue (-7.5, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine.voiceTune[4], -7.5f);
    EXPECT_TRUE (processor.unsavedChanges);

    editor->masterVolumeKnob.setValue (0.25, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine.rmVolume, 0.25f);

    // The steps knob only takes whole values, so the length stays 1..16.
    editor->stepsKnob.setValue (7.6, juce::sendNotificationSync);
    EXPECT_EQ (engine.rmSeqLen, 8);
    editor->stepsKnob.setValue (40.0, juce::sendNotificationSync);
    EXPECT_EQ (engine.rmSeqLen, 16);

    // MIDI and other windows write the engine; the next tick shows it, small drift excepted.
    engine.voiceLevel[9] = 0.3f;
    engine.rmSwing = 0.6f;
    engine.rmSeqLen = 5;
    engine.voiceLength[2] = 0.6505f;
    editor->voiceLengthKnobs[2].setValue (0.65, juce::dontSendNotification);
    tick();
    EXPECT_DOUBLE_EQ (editor->voiceLevelKnobs[9].getValue(), (double)0.3f);
    EXPECT_DOUBLE_EQ (editor->swingKnob.getValue(), (double)0.6f);
    EXPECT_DOUBLE_EQ (editor->stepsKnob.getValue(), 5.0);
    EXPECT_DOUBLE_EQ (editor->voiceLengthKnobs[2].getValue(), 0.65);
}

TEST_F (RhythmEditorTest, DawSyncDisablesTheTempoKnobWhichThenShowsTheProjectTempo)
{
    engine.rmSync = false;
    tick();
    ASSERT_FALSE (editor->syncButton.getToggleState());
    ASSERT_TRUE (editor->tempoKnob.isEnabled());

    ASSERT_TRUE (click (editor->syncButton));
    EXPECT_TRUE (engine.rmSync);
    EXPECT_FALSE (editor->tempoKnob.isEnabled());

    // The engine takes the project tempo as it runs; beyond the knob's range it shows the end.
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    for (double projectBpm : {97.0, 300.0})
    {
        engine.renderNextBlock (buffer, midi, projectBpm, false);
        tick();
        EXPECT_FLOAT_EQ (engine.rmBpm, (float)projectBpm);
        EXPECT_DOUBLE_EQ (editor->tempoKnob.getValue(), juce::jmin (projectBpm, 240.0));
    }

    ASSERT_TRUE (click (editor->syncButton));
    EXPECT_FALSE (engine.rmSync);
    EXPECT_TRUE (editor->tempoKnob.isEnabled());
}

TEST_F (RhythmEditorTest, PlaySwitchRunsTheMachine)
{
    processor.unsavedChanges = false;
    ASSERT_TRUE (click (editor->playButton));
    EXPECT_TRUE (engine.playing);
    EXPECT_EQ (editor->playButton.getButtonText(), "ON");
    EXPECT_TRUE (processor.unsavedChanges);
    ASSERT_TRUE (click (editor->playButton));
    EXPECT_FALSE (engine.playing);
    EXPECT_EQ (editor->playButton.getButtonText(), "OFF");
}

TEST_F (RhythmEditorTest, DroppedSampleLoadsOnTheButtonItLandsOn)
{
    TempDir dir ("rhythm-drop");
    const auto kick = dir.getFile().getChildFile ("kick.WAV");
    writeWav (kick, 2000);

    EXPECT_TRUE (editor->isInterestedInFileDrag ({kick.getFullPathName()}));
    EXPECT_FALSE (editor->isInterestedInFileDrag ({kick.getFullPathName(), kick.getFullPathName()}));
    EXPECT_FALSE (editor->isInterestedInFileDrag ({dir.getFile().getChildFile ("loop.mp3").getFullPathName()}));
    EXPECT_TRUE (editor->isInterestedInFileDrag ({"/x/Snare.aiff"}));

    const auto sn2 = editor->sampleButtons[2]->getBounds().getCentre();
    editor->fileDragEnter ({kick.getFullPathName()}, sn2.x, sn2.y);
    EXPECT_EQ (editor->dropVoice, 2);
    tick();
    EXPECT_EQ (editor->sampleButtons[2]->findColour (juce::TextButton::textColourOffId), juce::Colour (0xffffa500));

    processor.unsavedChanges = false;
    editor->filesDropped ({kick.getFullPathName()}, sn2.x, sn2.y);
    EXPECT_EQ (editor->dropVoice, -1);
    EXPECT_EQ (engine.getCustomSampleLength (2), 2000);
    EXPECT_EQ (engine.samplePath[2], kick.getFullPathName());
    EXPECT_TRUE (processor.unsavedChanges);
    EXPECT_FALSE (processor.isSuspended());

    // The length knob goes to 1.0 through an asynchronous change, and the engine follows.
    ASSERT_TRUE (pumpUntil ([&] { return engine.voiceLength[2] == 1.0f; }));
    EXPECT_DOUBLE_EQ (editor->voiceLengthKnobs[2].getValue(), 1.0);
    tick();
    EXPECT_EQ (editor->sampleButtons[2]->getButtonText(), "KICK");
    EXPECT_EQ (editor->sampleButtons[0]->getButtonText(), "[load]");
    EXPECT_EQ (editor->sampleButtons[2]->findColour (juce::TextButton::textColourOffId),
               juce::Colours::white.withAlpha ((juce::uint8)0xe6));

    // A drop beside every sample button changes nothing.
    editor->filesDropped ({kick.getFullPathName()}, 5, 5);
    EXPECT_EQ (engine.getCustomSampleLength (0), 0);

    // Clearing reverts the voice and keeps its length.
    editor->voiceLengthKnobs[2].setValue (0.4, juce::sendNotificationSync);
    editor->handleSampleMenuChoice (2, 2);
    EXPECT_EQ (engine.getCustomSampleLength (2), 0);
    EXPECT_TRUE (engine.samplePath[2].isEmpty());
    EXPECT_FLOAT_EQ (engine.voiceLength[2], 0.4f);
    tick();
    EXPECT_EQ (editor->sampleButtons[2]->getButtonText(), "[load]");
}

TEST_F (RhythmEditorTest, SampleIsDecodedOutsideTheAudioLockAndOnlySwappedInUnderIt)
{
    auto* probe = new ProbeFormat (processor);
    processor.audioFormatManager.registerFormat (probe, false);
    TempDir dir ("rhythm-probe");
    const auto file = dir.getFile().getChildFile ("clap.probe");
    ASSERT_TRUE (file.replaceWithText ("probe"));

    for (int round = 0; round < 2; ++round) // the second load replaces the first sample
    {
        ASSERT_TRUE (editor->loadSample (6, file));
        EXPECT_EQ (probe->decodes, round + 1);
        EXPECT_TRUE (probe->lockFreeWhileDecoding) << "the block callback waited for the file";
        EXPECT_TRUE (probe->processingRanWhileDecoding);
        EXPECT_EQ (engine.getCustomSampleLength (6), 1000);
        EXPECT_EQ (engine.sampleName[6], "CLAP");
    }

    // The audio runs again and the lock is free once the swap is done.
    EXPECT_FALSE (processor.isSuspended());
    EXPECT_TRUE (std::async (std::launch::async, [this]
                             {
                                 const bool got = processor.audioLock.tryEnter();
                                 if (got)
                                     processor.audioLock.exit();
                                 return got;
                             }).get());

    // The swapped-in sample plays.
    juce::AudioBuffer<float> buffer (2, 256);
    buffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 75, (juce::uint8)100), 0);
    engine.prepare (44100.0);
    engine.rmSync = false;
    engine.renderNextBlock (buffer, midi, 120.0, false);
    EXPECT_GT (buffer.getMagnitude (0, 0, 256), 0.1f);
}

TEST_F (RhythmEditorTest, AFileThatIsNotAudioIsReportedAndChangesNothing)
{
    TempDir dir ("rhythm-bad");
    const auto good = dir.getFile().getChildFile ("rim.wav");
    writeWav (good, 500);
    ASSERT_TRUE (editor->loadSample (3, good));
    ASSERT_TRUE (pumpUntil ([&] { return engine.voiceLength[3] == 1.0f; }));
    editor->voiceLengthKnobs[3].setValue (0.3, juce::sendNotificationSync);

    const auto bad = dir.getFile().getChildFile ("notes.wav");
    ASSERT_TRUE (bad.replaceWithText ("these are not samples"));
    processor.unsavedChanges = false;

    const auto rimButton = editor->sampleButtons[3]->getBounds().getCentre();
    editor->fileDragMove ({bad.getFullPathName()}, rimButton.x, rimButton.y);
    editor->filesDropped ({bad.getFullPathName()}, rimButton.x, rimButton.y);

    auto* notice = FlowDialog::findOpenDialog (RhythmEditorIds::sampleNotLoadedTitle);
    ASSERT_NE (notice, nullptr);
    EXPECT_TRUE (notice->getProperties()["bodyText"].toString().contains ("notes.wav"));
    notice->exitModalState (1);
    pump (20);

    EXPECT_EQ (engine.getCustomSampleLength (3), 500);
    EXPECT_EQ (engine.samplePath[3], good.getFullPathName());
    pump (50);
    EXPECT_FLOAT_EQ (engine.voiceLength[3], 0.3f);
    EXPECT_FALSE (processor.unsavedChanges);
    EXPECT_EQ (editor->dropVoice, -1);
}

TEST_F (RhythmEditorTest, ThemeFollowsTheDefaultLook)
{
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->customLook);
    EXPECT_EQ (editor->patternButtons[0]->findColour (juce::TextButton::buttonColourId), juce::Colour (0xffd0c0b0));
    EXPECT_EQ (editor->learnButton.findColour (juce::TextButton::textColourOffId), juce::Colours::black);

    ModernLookAndFeel modern;
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    editor->sendLookAndFeelChange();
    EXPECT_EQ (&editor->getLookAndFeel(), &modern);
    EXPECT_EQ (editor->patternButtons[0]->findColour (juce::TextButton::buttonColourId), juce::Colour (modern.cChassis1));
    EXPECT_EQ (step (0, 0).findColour (juce::TextButton::buttonOnColourId), juce::Colour (modern.cAccent));
    EXPECT_EQ (editor->voiceLabels[0]->findColour (juce::Label::textColourId), juce::Colour (modern.cDark));
    // Header lettering is white on a dark theme (another test in this run may have saved one).
    EXPECT_EQ (editor->learnButton.findColour (juce::TextButton::textColourOffId),
               modern.isDark() ? juce::Colours::white : juce::Colour (modern.cDark));

    // The modern panel is filled with the theme's background colour.
    const auto image = editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_EQ (image.getPixelAt (5, 5), juce::Colour (modern.cBg));

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    editor->sendLookAndFeelChange();
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->customLook);
}
