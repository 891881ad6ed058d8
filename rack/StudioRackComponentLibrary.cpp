// The rack's library menu and what its choices load: built-in devices at once, plug-ins through
// the processor's asynchronous creation, followed up by waiting for that very request.

#include "rack/StudioRackComponent.h"

#include "engine/ProcessingHold.h"
#include "rack/PluginLibraryMenu.h"
#include "rack/PluginManagerResult.h"
#include "rack/RackIds.h"
#include "rack/SlotEditorWindows.h"

#include <atomic>

namespace
{
std::atomic<int> waitingLoads{0};
constexpr int waitStepMs = 100;
} // namespace

juce::PopupMenu StudioRackComponent::buildPluginLibraryMenu (int target) const
{
    juce::PopupMenu menu;
    menu.addSectionHeader (RackIds::libraryHeader);
    menu.addItem (RackIds::rackScanId, RackIds::scanManage);
    menu.addSeparator();

    if (target == RackIds::instrumentTarget)
    {
        menu.addSectionHeader (RackIds::builtInInstrumentsHeader);
        for (const auto& item : RackIds::instrumentItems)
            menu.addItem (item.id, item.text);
    }
    else
    {
        menu.addSectionHeader (RackIds::builtInEffectsHeader);
        for (const auto& item : RackIds::effectItems)
            if (target == RackIds::inputInsertTarget || item.id <= 11) // aux returns: reverb and echo only
                menu.addItem (item.id, item.text);
    }
    menu.addSeparator();

    PluginLibraryMenu::addMakerMenus (menu, processor->knownPluginList.getTypes(),
                                      target == RackIds::instrumentTarget, RackIds::firstPluginId, "Unknown");
    return menu;
}

void StudioRackComponent::showPluginLibraryMenu (int target)
{
    juce::Component::SafePointer<StudioRackComponent> rack (this);
    buildPluginLibraryMenu (target).showMenuAsync (juce::PopupMenu::Options(),
                                                   [rack, target] (int result)
                                                   {
                                                       if (auto* self = rack.getComponent())
                                                           self->handlePluginLibraryChoice (target, result);
                                                   });
}

void StudioRackComponent::handlePluginLibraryChoice (int target, int result)
{
    auto& p = *processor;

    if (result == RackIds::rackScanId)
    {
        PluginManagerResult::openManager (p);
        return;
    }

    if (result >= RackIds::firstInstrumentId && result <= RackIds::lastInstrumentId)
    {
        // A ninth slot is refused: then there is nothing to route.
        if (! p.addBuiltInInstrument (result - RackIds::firstInstrumentId + 1))
        {
            rebuild();
            return;
        }

        rebuild();
        const auto slot = p.instruments.back();
        juce::Component::SafePointer<StudioRackComponent> rack (this);
        showRouteInstrumentDialog ((int) p.instruments.size() - 1,
                                   [rack, slot]
                                   {
                                       if (auto* self = rack.getComponent())
                                           self->openInstrumentWindow (slot);
                                   });
        return;
    }

    if (result >= RackIds::firstEffectId && result <= RackIds::lastEffectId)
    {
        const int type = result - RackIds::firstEffectId + 1;

        if (target == RackIds::inputInsertTarget)
        {
            p.addBuiltInEffect (type, -1, TavrelDelayAudioProcessor::InputInserts);
            if (! p.inputInserts.empty() && p.inputInserts.back()->builtInType != 0)
                openInsertEffectWindow (p.inputInserts.back());
            rebuild();
        }
        else if (target == RackIds::aux1Target || target == RackIds::aux2Target)
        {
            const int aux = target == RackIds::aux1Target ? 0 : 1;
            closePluginEditorWindow ((aux == 0 ? p.aux1Plugin : p.aux2Plugin).get());
            takeOutAuxPlugin (aux);
            (aux == 0 ? p.aux1BuiltIn : p.aux2BuiltIn) = type;
            openBuiltInEffectEditor (aux + 1, type);
            rebuild();
        }
        else
        {
            rebuild();
        }
        return;
    }

    if (result >= RackIds::firstPluginId)
    {
        const auto types = p.knownPluginList.getTypes();
        const int k = result - RackIds::firstPluginId;
        if (k >= types.size())
            return;

        if (target == RackIds::instrumentTarget)
            addInstrumentPluginFromLibrary (types.getReference (k));
        else
            loadPluginFromLibrary (target, types.getReference (k));
    }
}

void StudioRackComponent::addInstrumentPluginFromLibrary (const juce::PluginDescription& type)
{
    auto pending = std::make_shared<PendingLoad>();
    pending->startedMs = juce::Time::getMillisecondCounter();

    processor->addInstrumentPlugin (type,
                                    [pending] (std::shared_ptr<InstrumentPlugin> slot)
                                    {
                                        pending->instrument = std::move (slot);
                                        pending->done = true;
                                    });

    juce::Component::SafePointer<StudioRackComponent> rack (this);
    auto showRoute = [rack] (int index, std::function<void()> onDone)
    {
        if (auto* self = rack.getComponent())
            self->showRouteInstrumentDialog (index, std::move (onDone));
    };

    ++waitingLoads;
    juce::Timer::callAfterDelay (waitStepMs, [rack, pending, showRoute]
                                 { waitForPluginLoad (rack, RackIds::instrumentTarget, pending, showRoute); });
}

void StudioRackComponent::loadPluginFromLibrary (int target, const juce::PluginDescription& type)
{
    auto& p = *processor;
    auto pending = std::make_shared<PendingLoad>();
    pending->startedMs = juce::Time::getMillisecondCounter();

    if (target == RackIds::inputInsertTarget)
    {
        p.addInputInsertPlugin (type,
                                [pending] (std::shared_ptr<InsertPlugin> slot)
                                {
                                    pending->insert = std::move (slot);
                                    pending->done = true;
                                });
    }
    else
    {
        const int aux = target == RackIds::aux1Target ? 0 : 1;
        auto& plugin = aux == 0 ? p.aux1Plugin : p.aux2Plugin;

        // The old plug-in's window closes now; should it be opened again while the new one
        // loads, it closes when the new one takes its place.
        closePluginEditorWindow (plugin.get());
        (aux == 0 ? p.aux1BuiltIn : p.aux2BuiltIn) = 0;

        p.loadAuxPlugin (aux, type,
                         [pending] (juce::AudioPluginInstance* instance)
                         {
                             pending->auxPlugin = instance;
                             pending->done = true;
                         });
    }

    ++waitingLoads;
    juce::Component::SafePointer<StudioRackComponent> rack (this);
    juce::Timer::callAfterDelay (waitStepMs, [rack, target, pending]
                                 { waitForPluginLoad (rack, target, pending, {}); });
}

int StudioRackComponent::getNumWaitingLoads()
{
    return waitingLoads.load();
}

void StudioRackComponent::waitForPluginLoad (juce::Component::SafePointer<StudioRackComponent> rack, int target,
                                             std::shared_ptr<PendingLoad> pending, ShowRouteDialog showRouteDialog)
{
    auto* self = rack.getComponent();

    if (self == nullptr)
    {
        --waitingLoads;
        return;
    }

    if (! pending->done)
    {
        // A creation that never answers is given up, so the rack does not poll for ever.
        if (juce::Time::getMillisecondCounter() - pending->startedMs >= (juce::uint32) self->pluginLoadTimeoutMs)
        {
            --waitingLoads;
            return;
        }

        juce::Timer::callAfterDelay (waitStepMs, [rack, target, pending, showRouteDialog]
                                     { waitForPluginLoad (rack, target, pending, showRouteDialog); });
        return;
    }

    --waitingLoads;
    self->rebuild();

    auto& p = *self->processor;

    if (target == RackIds::inputInsertTarget)
    {
        if (pending->insert != nullptr)
            self->openPluginEditor (pending->insert->instance.get());
    }
    else if (target == RackIds::aux1Target || target == RackIds::aux2Target)
    {
        auto& plugin = target == RackIds::aux1Target ? p.aux1Plugin : p.aux2Plugin;

        // The old plug-in's window was closed when the new one took its place
        // (TavrelDelayAudioProcessor::onPluginReplaced).
        if (pending->auxPlugin != nullptr && plugin.get() == pending->auxPlugin)
            self->openPluginEditor (plugin.get());
    }
    else if (target == RackIds::instrumentTarget && pending->instrument != nullptr && showRouteDialog != nullptr)
    {
        const auto& slots = p.instruments;
        const auto found = std::find (slots.begin(), slots.end(), pending->instrument);
        if (found == slots.end())
            return;

        const auto slot = pending->instrument;
        showRouteDialog ((int) (found - slots.begin()),
                         [rack, slot]
                         {
                             auto* current = rack.getComponent();
                             if (current == nullptr)
                                 return;
                             const auto& list = current->processor->instruments;
                             if (std::find (list.begin(), list.end(), slot) != list.end() && slot->instance != nullptr)
                                 current->openPluginEditor (slot->instance.get());
                         });
    }
}

void StudioRackComponent::takeOutAuxPlugin (int aux)
{
    auto& p = *processor;
    auto& plugin = aux == 0 ? p.aux1Plugin : p.aux2Plugin;
    std::unique_ptr<juce::AudioPluginInstance> old;

    {
        const ProcessingHold hold (p);
        const juce::ScopedLock lock (p.audioLock);
        old = std::move (plugin);
    }

    (aux == 0 ? p.aux1CustomPath : p.aux2CustomPath) = {};

    if (old != nullptr)
    {
        auto* raw = old.get();
        p.retireSlot (std::shared_ptr<juce::AudioPluginInstance> (std::move (old)), raw);
    }
}

void StudioRackComponent::applyPluginManagerResult (const juce::StringArray& filesToScan,
                                                    const juce::StringArray& filesToForget)
{
    PluginManagerResult::apply (*processor, filesToScan, filesToForget);
}
