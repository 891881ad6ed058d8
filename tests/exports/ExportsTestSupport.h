#pragma once

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/AudioTestUtils.h"
#include "tests/support/TempDir.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"
#include "ui/panels/ExportPanel.h"
#include "ui/panels/ImportPanel.h"
#include "ui/panels/OfflineExportThread.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace ExportsTest
{
inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

template <typename Predicate> bool runMessagesUntil (Predicate done, int timeoutMs = 10000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! done() && juce::Time::getMillisecondCounter() < end)
        runMessages (5);
    return done();
}

inline bool displayAvailable()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty();
}

/** The open dialog with that title, waited for. */
inline juce::AlertWindow* waitForDialog (const juce::String& title, int timeoutMs = 20000)
{
    runMessagesUntil ([&] { return FlowDialog::findOpenDialog (title) != nullptr; }, timeoutMs);
    return FlowDialog::findOpenDialog (title);
}

inline juce::String dialogText (juce::AlertWindow& dialog)
{
    return dialog.getProperties()[SafeAlertWindow::bodyTextProperty].toString();
}

/** Clicks the dialog's button with that text and waits until the dialog has gone. */
inline bool answer (juce::AlertWindow& dialog, const juce::String& buttonText)
{
    for (auto* child : dialog.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child);
            button != nullptr && button->getButtonText() == buttonText)
        {
            juce::Component::SafePointer<juce::AlertWindow> open (&dialog);
            button->triggerClick();
            return runMessagesUntil ([&] { return open == nullptr || ! open->isCurrentlyModal(); });
        }

    ADD_FAILURE() << "no button " << buttonText;
    return false;
}

/** Clicks a button and lets the click's message arrive. */
inline void click (juce::Button& button)
{
    button.triggerClick();
    runMessages (30);
}

/** The framework's save dialog while it is open, or null. */
inline juce::FileChooserDialogBox* openFileDialog()
{
    auto* modal = juce::ModalComponentManager::getInstance();
    for (int i = 0; i < modal->getNumModalComponents(); ++i)
        if (auto* box = dynamic_cast<juce::FileChooserDialogBox*> (modal->getModalComponent (i)))
            return box;
    return nullptr;
}

template <typename Type> Type* findChild (juce::Component& parent)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* found = dynamic_cast<Type*> (child))
            return found;
        if (auto* deeper = findChild<Type> (*child))
            return deeper;
    }
    return nullptr;
}

inline juce::TextButton* findButton (juce::Component& parent, const juce::String& text)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* button = dynamic_cast<juce::TextButton*> (child);
            button != nullptr && button->getButtonText() == text)
            return button;
        if (auto* deeper = findButton (*child, text))
            return deeper;
    }
    return nullptr;
}

/** Types a name into the open save dialog and presses its Save button. */
inline bool saveAs (const juce::String& fileName)
{
    runMessagesUntil ([] { return openFileDialog() != nullptr; });
    auto* box = openFileDialog();
    if (box == nullptr)
        return false;

    auto* browser = findChild<juce::FileBrowserComponent> (*box);
    auto* save = findButton (*box, "Save");
    if (browser == nullptr || save == nullptr)
        return false;

    browser->setFileName (fileName);
    save->triggerClick();
    return runMessagesUntil ([] { return openFileDialog() == nullptr; });
}

/** Types the text into a slider's text box, as the user does. */
inline void typeInto (juce::Slider& slider, const juce::String& text)
{
    auto* box = findChild<juce::Label> (slider);
    ASSERT_NE (box, nullptr);
    box->setText (text, juce::sendNotificationSync);
}

inline void dismissAllDialogs()
{
    for (int guard = 0; guard < 20; ++guard)
    {
        auto* modal = juce::ModalComponentManager::getInstance();
        if (modal->getNumModalComponents() == 0)
            return;
        modal->getModalComponent (0)->exitModalState (0);
        runMessages (20);
    }
}

/** Writes a WAV file: a sine of the frequency on every channel. */
inline bool writeTone (const juce::File& file, int channels, double seconds, double frequency, double rate = 48000.0)
{
    auto audio = AudioTestUtils::makeSine (channels, (int)(seconds * rate), frequency, rate, 0.5f);
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    std::unique_ptr<juce::AudioFormatWriter> writer (
        juce::WavAudioFormat().createWriterFor (stream.get(), rate, (unsigned int)channels, 24, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release();
    return writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
}

struct WavContents
{
    juce::AudioBuffer<float> audio;
    double rate = 0.0;
};

/** The whole file read by content; empty when it is not audio. */
inline WavContents readAudio (const juce::File& file)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    WavContents contents;
    std::unique_ptr<juce::AudioFormatReader> reader (
        formats.createReaderFor (std::make_unique<juce::FileInputStream> (file)));
    if (reader == nullptr)
        return contents;
    contents.audio.setSize ((int)reader->numChannels, (int)reader->lengthInSamples);
    reader->read (&contents.audio, 0, (int)reader->lengthInSamples, 0, true, true);
    contents.rate = reader->sampleRate;
    return contents;
}

/** A processor with a 20-second, 8-track reel at 48 kHz ready to render (a steady machine: no
    wow, flutter, hiss or head gap; every track plays its tape), folders of its own, and its
    editor showing the deck. */
struct ExportsFixture : public ::testing::Test
{
    static constexpr double rate = 48000.0;
    static constexpr double reelSeconds = 20.0;

    TempDir temp{"dravin8-exports"};
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<TavrelDelayAudioProcessorEditor> editor;

    void SetUp() override
    {
        ExportPanel::resetRememberedTimes();
        ExportPanel::useNativeFileDialog = false;

        processor = std::make_unique<TavrelDelayAudioProcessor>();
        processor->autoSaveTickMilliseconds = 1 << 30;

        if (processor->firstRunJob != nullptr)
        {
            ASSERT_TRUE (processor->firstRunJob->waitForThreadToExit (60000));
        }

        ASSERT_TRUE (processor->prepareReel (8, reelSeconds, rate).wasOk());
        processor->setRateAndBufferSizeDetails (rate, 512);
        processor->prepareToPlay (rate, 512);

        namespace Id = ParameterIds;
        for (auto* id : {Id::WOW, Id::FLUTTER, Id::DIGITAL_FINGER, Id::AGE, Id::NOISE, Id::TIME})
            setParameter (id, 0.0f);
        setParameter (Id::DISABLE_NOISE, 1.0f);
        for (int k = 1; k <= 8; ++k)
            setParameter (Id::forTrack (Id::MON_, k), 1.0f);

        editor.reset (static_cast<TavrelDelayAudioProcessorEditor*> (processor->createEditor()));
        editor->tapeRoomShowing = false;
        editor->resized();
    }

    void TearDown() override
    {
        dismissAllDialogs();
        editor.reset();
        runMessages (20);
        processor->stopLiveBounce();
        processor.reset();
        ExportPanel::useNativeFileDialog = true;
    }

    void setParameter (const juce::String& id, float value)
    {
        auto* parameter = processor->parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    float parameter (const juce::String& id) { return processor->parameters.getRawParameterValue (id)->load(); }

    const float* tape (int track) { return processor->tracks[(size_t)track].getAudio().getReadPointer (0); }

    /** Track k's tape holds a tone over its whole length. */
    void recordTone (int track, double frequency, float amplitude = 0.5f)
    {
        auto& t = processor->tracks[(size_t)track];
        auto* samples = t.getAudio().getWritePointer (0);
        for (int i = 0; i < t.getAudio().getNumSamples(); ++i)
            samples[i] = amplitude * (float)std::sin (AudioTestUtils::twoPi * frequency * i / rate);
        t.getAudio().setNotClear();
        t.recordedLength = t.getAudio().getNumSamples();
    }

    /** The frequency heard on a track's tape over a second from the time on. */
    double frequencyOn (int track, double fromSeconds)
    {
        return AudioTestUtils::zeroCrossingFrequency (tape (track) + (int)(fromSeconds * rate), (int)rate, rate);
    }

    double levelOn (int track, double fromSeconds, double seconds = 1.0)
    {
        return AudioTestUtils::rms (tape (track) + (int)(fromSeconds * rate), (int)(seconds * rate));
    }

    juce::Component* overlay (const char* id) { return editor->deckPanel.findChildWithID (id); }

    ExportPanel* exportPanel() { return dynamic_cast<ExportPanel*> (overlay (EditorIds::exportOverlay)); }
    ImportPanel* importPanel() { return dynamic_cast<ImportPanel*> (overlay (EditorIds::importPanel)); }

    /** Opens the export panel with the MIXDOWN button. */
    ExportPanel* openExportPanel()
    {
        click (editor->mixdownButton);
        runMessagesUntil ([this] { return exportPanel() != nullptr; }, 3000);
        return exportPanel();
    }
};
} // namespace ExportsTest
