// The rack's construction, its rebuild from the processor's slots and its layout.

#include "rack/StudioRackComponent.h"

#include "rack/EmptyRackSlot.h"
#include "rack/PluginRackUnit.h"
#include "rack/RackIds.h"
#include "rack/SlotEditorWindows.h"

std::function<juce::DocumentWindow* (TavrelDelayAudioProcessor&, StudioRackComponent::InstrumentPlugin&)>
    StudioRackComponent::makeInstrumentWindow;

StudioRackComponent::StudioRackComponent (TavrelDelayAudioProcessor& processorToUse) : processor (&processorToUse)
{
    addAndMakeVisible (viewport);
    viewport.setViewedComponent (&content, false);
    viewport.setScrollBarsShown (true, false, false, false);

    // A plug-in replaced in its slot (an aux return's, mostly) takes its editor window with it.
    processor->onPluginReplaced = [] (juce::AudioPluginInstance* replaced) { closePluginEditorWindow (replaced); };
    rebuild();
}

StudioRackComponent::~StudioRackComponent()
{
    closeAllPluginWindows();
    viewport.setViewedComponent (nullptr, false);
}

//==============================================================================
void StudioRackComponent::rebuild()
{
    for (int i = content.getNumChildComponents(); --i >= 0;)
        content.removeChildComponent (i);
    units.clear();
    headers.clear();

    int y = 10;
    addSectionHeader (RackIds::instrumentsHeader, y);
    y = 30;
    addInstrumentUnits (y);

    addSectionHeader (RackIds::inputInsertsHeader, y + 10);
    y += 30;
    addInputInsertUnits (y);

    addSectionHeader (RackIds::auxReturnsHeader, y + 10);
    y += 30;
    addAuxUnit (0, y);
    addAuxUnit (1, y);

    content.setSize (viewport.getMaximumVisibleWidth(), y + 10);
    resized();
}

void StudioRackComponent::addInstrumentUnits (int& y)
{
    const auto slots = processor->instruments;

    for (int i = 0; i < (int) slots.size(); ++i)
    {
        const auto slot = slots[(size_t) i];
        if (slot == nullptr)
            continue;

        const auto label = slot->name
                           + (slot->midiChannel == 0 ? juce::String (" [Omni]")
                                                     : " [Ch " + juce::String (slot->midiChannel) + "]");

        auto openEditor = [this, slot]
        {
            if (slot->instance != nullptr)
                openPluginEditor (slot->instance.get());
            else
                openInstrumentWindow (slot);
        };

        auto remove = [this, slot, i]
        {
            if (slot->instance != nullptr)
                closePluginEditorWindow (slot->instance.get());
            else
                closeAllPluginWindows();
            processor->removeInstrument (i);
            rebuild();
        };

        auto channel = [this, i] (int c)
        {
            processor->setInstrumentMidiChannel (i, c);
            rebuild();
        };

        addUnit (new PluginRackUnit (label, false, -1, openEditor, remove, {}, true, channel,
                                     [this, i] { clearInstrumentMidiMappings (i); }),
                 y);
    }

    if ((int) slots.size() < TavrelDelayAudioProcessor::maxInstrumentSlots)
        addUnit (new EmptyRackSlot (RackIds::loadInstrument, [this] { showPluginLibraryMenu (RackIds::instrumentTarget); }),
                 y);
}

void StudioRackComponent::addInputInsertUnits (int& y)
{
    const auto slots = processor->inputInserts;

    for (int i = 0; i < (int) slots.size(); ++i)
    {
        const auto slot = slots[(size_t) i];
        if (slot == nullptr)
            continue;

        auto openEditor = [this, slot]
        {
            if (slot->instance != nullptr)
                openPluginEditor (slot->instance.get());
            else if (slot->builtInType != 0)
                openInsertEffectWindow (slot);
        };

        auto remove = [this, slot, i]
        {
            if (i < (int) processor->inputInserts.size())
            {
                if (slot->instance != nullptr)
                    closePluginEditorWindow (slot->instance.get());
                else
                    closeAllPluginWindows();
            }
            processor->removeInputInsert (i);
            rebuild();
        };

        addUnit (new PluginRackUnit (slot->name, true, slot->targetTrack, openEditor, remove,
                                     [this, i] (int track) { processor->setInputInsertTarget (i, track); }, false, {},
                                     {}),
                 y);
    }

    if ((int) slots.size() < maxInputInserts)
        addUnit (new EmptyRackSlot (RackIds::addInsertFx, [this] { showPluginLibraryMenu (RackIds::inputInsertTarget); }),
                 y);
}

void StudioRackComponent::addAuxUnit (int aux, int& y)
{
    auto& plugin = aux == 0 ? processor->aux1Plugin : processor->aux2Plugin;
    auto& builtIn = aux == 0 ? processor->aux1BuiltIn : processor->aux2BuiltIn;
    auto& path = aux == 0 ? processor->aux1CustomPath : processor->aux2CustomPath;
    const juce::String prefix = "Aux " + juce::String (aux + 1) + ": ";
    const int number = aux + 1;

    if (plugin != nullptr)
    {
        addUnit (new PluginRackUnit (
                     prefix + plugin->getName(), false, -1,
                     [this, &plugin] { openPluginEditor (plugin.get()); },
                     [this, &plugin, aux]
                     {
                         closePluginEditorWindow (plugin.get());
                         takeOutAuxPlugin (aux);
                         rebuild();
                     },
                     {}, false, {}, {}),
                 y);
    }
    else if (builtIn != 0)
    {
        addUnit (new PluginRackUnit (
                     prefix + (builtIn == 1 ? "Velmora Analog Reverb" : "Velmora Tape Echo"), false, -1,
                     [this, &builtIn, number] { openBuiltInEffectEditor (number, builtIn); },
                     [this, &builtIn]
                     {
                         builtIn = 0;
                         rebuild();
                     },
                     {}, false, {}, {}),
                 y);
    }
    else if (path.isNotEmpty())
    {
        addUnit (new PluginRackUnit (
                     prefix + RackIds::auxLoading, false, -1, [] {},
                     [this, &path]
                     {
                         path = {};
                         rebuild();
                     },
                     {}, false, {}, {}),
                 y);
    }
    else
    {
        const int target = aux == 0 ? RackIds::aux1Target : RackIds::aux2Target;
        addUnit (new EmptyRackSlot (aux == 0 ? RackIds::loadAux1 : RackIds::loadAux2,
                                    [this, target] { showPluginLibraryMenu (target); }),
                 y);
    }
}

void StudioRackComponent::addUnit (RackUnit* unit, int& y)
{
    unit->getProperties().set ("y", y);
    unit->getProperties().set ("h", RackUnit::unitHeight);
    unit->setVisible (true);
    content.addAndMakeVisible (unit);
    units.add (unit);
    y += RackUnit::unitHeight + unitGap;
}

void StudioRackComponent::addSectionHeader (const juce::String& text, int y)
{
    auto* header = new juce::Label ({}, text);
    header->setFont (juce::Font (12.0f, juce::Font::bold));
    header->setColour (juce::Label::textColourId, juce::Colour (0xffffa500));
    header->setJustificationType (juce::Justification::centred);
    header->getProperties().set ("y", y);
    content.addAndMakeVisible (header);
    headers.add (header);
}

void StudioRackComponent::resized()
{
    viewport.setBounds (getLocalBounds());
    const int width = viewport.getMaximumVisibleWidth();
    content.setBounds (content.getX(), content.getY(), width, content.getHeight());

    for (auto* unit : units)
        unit->setBounds (0, (int) unit->getProperties()["y"], width, (int) unit->getProperties()["h"]);
    for (auto* header : headers)
        header->setBounds (0, (int) header->getProperties()["y"], width, headerHeight);
}
