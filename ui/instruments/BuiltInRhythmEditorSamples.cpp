// The rhythm machine's panel: custom samples from the sample buttons' menu and from dropped files.

#include "ui/instruments/BuiltInRhythmEditor.h"

#include "engine/ProcessingHold.h"
#include "instruments/RhythmEngine.h"
#include "ui/deck/FlowDialog.h"
#include "ui/instruments/BuiltInRhythmEditorIds.h"

void BuiltInRhythmEditor::showSampleMenu (int voice, juce::Component& sampleButton)
{
    juce::PopupMenu menu;
    menu.addItem (1, RhythmEditorIds::loadSampleItem);
    menu.addItem (2, RhythmEditorIds::clearSampleItem);

    juce::Component::SafePointer<BuiltInRhythmEditor> editor (this);
    menu.showMenuAsync (juce::PopupMenu::Options().withTargetComponent (&sampleButton),
                        [editor, voice] (int result)
                        {
                            if (auto* e = editor.getComponent())
                                e->handleSampleMenuChoice (voice, result);
                        });
}

void BuiltInRhythmEditor::handleSampleMenuChoice (int voice, int result)
{
    if (result == 1)
        launchSampleChooser (voice);
    else if (result == 2)
        clearSample (voice);
}

void BuiltInRhythmEditor::launchSampleChooser (int voice)
{
    auto chooser = std::make_shared<juce::FileChooser> (RhythmEditorIds::loadSampleTitle, juce::File(),
                                                        RhythmEditorIds::sampleFilePatterns);
    juce::Component::SafePointer<BuiltInRhythmEditor> editor (this);

    // The callback owns the chooser: it lives until the user has answered.
    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                          [chooser, editor, voice] (const juce::FileChooser& fc)
                          {
                              const auto file = fc.getResult();
                              if (auto* e = editor.getComponent())
                                  if (file.existsAsFile())
                                      e->loadSample (voice, file);
                          });
}

bool BuiltInRhythmEditor::loadSample (int voice, const juce::File& file)
{
    auto* engine = getEngine();
    if (engine == nullptr || ! juce::isPositiveAndBelow (voice, numVoices))
        return false;

    // Decode before taking the audio lock: while it is held the block callback plays silence,
    // so only the pointer swap happens under it.
    std::unique_ptr<RhythmEngine::CustomSample> sample;
    if (file.existsAsFile())
    {
        sample = RhythmEngine::readCustomSample (file, processor.audioFormatManager);
        if (sample == nullptr)
        {
            reportUnreadableSample (file);
            return false;
        }
    }

    {
        const ProcessingHold hold (processor);
        const juce::ScopedLock lock (processor.audioLock);
        if (sample != nullptr)
            engine->installCustomSample (voice, std::move (sample), file);
        else
            engine->loadCustomSample (voice, file, processor.audioFormatManager); // a folder or missing file: reverts, reads nothing
    }

    // The replaced buffer is freed here, outside the lock and never on the audio thread.
    engine->releaseRetiredSamples();

    voiceLengthKnobs[voice].setValue (1.0, juce::sendNotificationAsync);
    markUnsaved();
    return true;
}

void BuiltInRhythmEditor::clearSample (int voice)
{
    auto* engine = getEngine();
    if (engine == nullptr || ! juce::isPositiveAndBelow (voice, numVoices))
        return;

    {
        const ProcessingHold hold (processor);
        const juce::ScopedLock lock (processor.audioLock);
        engine->clearCustomSample (voice);
    }

    engine->releaseRetiredSamples();
    markUnsaved();
}

void BuiltInRhythmEditor::reportUnreadableSample (const juce::File& file)
{
    FlowDialog::notify (RhythmEditorIds::sampleNotLoadedTitle,
                        "\"" + file.getFileName() + "\" could not be read as audio.\nThe voice keeps its sound.", 2);
}

//==============================================================================
bool BuiltInRhythmEditor::isInterestedInFileDrag (const juce::StringArray& files)
{
    return files.size() == 1
           && (files[0].endsWithIgnoreCase (".wav") || files[0].endsWithIgnoreCase (".aiff"));
}

void BuiltInRhythmEditor::fileDragEnter (const juce::StringArray& files, int x, int y)
{
    fileDragMove (files, x, y);
}

void BuiltInRhythmEditor::fileDragMove (const juce::StringArray&, int x, int y)
{
    dropVoice = -1;
    for (int k = 0; k < sampleButtons.size(); ++k)
    {
        auto* button = sampleButtons[k];
        if (getLocalArea (button, button->getLocalBounds()).contains (x, y))
        {
            dropVoice = k;
            break;
        }
    }
}

void BuiltInRhythmEditor::fileDragExit (const juce::StringArray&)
{
    dropVoice = -1;
}

void BuiltInRhythmEditor::filesDropped (const juce::StringArray& files, int x, int y)
{
    // The drop point decides, in case no move was seen for it.
    fileDragMove (files, x, y);

    if (dropVoice >= 0 && isInterestedInFileDrag (files) && juce::File::isAbsolutePath (files[0]))
        loadSample (dropVoice, juce::File (files[0]));

    dropVoice = -1;
}
