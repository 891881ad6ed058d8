#include "rack/SlotEditorWindows.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/PluginEditorWindow.h"
#include "rack/RackIds.h"

juce::String SlotEditorWindows::windowId (const void* edited)
{
    return RackIds::editorWindowPrefix + juce::String ((juce::int64) (juce::pointer_sized_int) edited);
}

juce::TopLevelWindow* SlotEditorWindows::find (const juce::String& id)
{
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window->getComponentID() == id)
            return window;

    return nullptr;
}

bool SlotEditorWindows::bringToFront (const juce::String& id)
{
    if (auto* window = find (id))
    {
        window->toFront (true);
        return true;
    }

    return false;
}

void SlotEditorWindows::closeLast (const juce::String& id)
{
    for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
    {
        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window->getComponentID() == id)
        {
            window->setVisible (false);
            delete window;
            return;
        }
    }
}

void SlotEditorWindows::closeAll (const juce::String& id)
{
    for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
    {
        // Deleting a window shortens the list: look again from the (new) end.
        if (i >= juce::TopLevelWindow::getNumTopLevelWindows())
            continue;

        if (auto* window = juce::TopLevelWindow::getTopLevelWindow (i); window != nullptr && window->getComponentID() == id)
        {
            window->setVisible (false);
            delete window;
        }
    }
}

std::function<bool (const juce::KeyPress&)> SlotEditorWindows::mainEditorKeys (TavrelDelayAudioProcessor& processor)
{
    return [weak = juce::WeakReference<TavrelDelayAudioProcessor> (&processor)] (const juce::KeyPress& key)
    {
        if (auto* p = weak.get())
            if (auto* editor = p->getActiveEditor())
                return editor->keyPressed (key);
        return false;
    };
}

juce::Component* SlotEditorWindows::openHostedEditor (TavrelDelayAudioProcessor& processor,
                                                      juce::AudioPluginInstance* instance, const juce::String& id)
{
    if (instance == nullptr)
        return nullptr;

    juce::AudioProcessorEditor* editor = nullptr;
    if (instance->getPluginDescription().manufacturerName != "Apple" && instance->hasEditor())
        // Made the active editor when none is, so the processor sees that one is open.
        editor = instance->getActiveEditor() == nullptr ? instance->createEditorIfNeeded() : instance->createEditor();
    if (editor == nullptr)
        editor = new juce::GenericAudioProcessorEditor (*instance);

    auto* window = createPluginEditorWindow (processor, editor, instance, mainEditorKeys (processor));
    if (window != nullptr)
        window->setComponentID (id);
    return window;
}

void closePluginEditorWindow (juce::AudioPluginInstance* instance)
{
    if (instance != nullptr)
        SlotEditorWindows::closeLast (SlotEditorWindows::windowId (instance));
}
