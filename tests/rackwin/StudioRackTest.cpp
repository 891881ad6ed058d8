#include "tests/rackwin/RackWinTestSupport.h"

#include "engine/ParameterIds.h"
#include "rack/EmptyRackSlot.h"
#include "rack/PluginLibraryMenu.h"
#include "rack/PluginRackUnit.h"
#include "rack/StudioRackComponent.h"

namespace
{
juce::String unitText (RackUnit& unit)
{
    if (auto* empty = dynamic_cast<EmptyRackSlot*> (&unit))
        return empty->button.getButtonText();
    if (auto* device = dynamic_cast<PluginRackUnit*> (&unit))
        return device->label.getText();
    return {};
}

struct MenuEntry
{
    juce::String text;
    int id = 0;
    const juce::PopupMenu* subMenu = nullptr;
};

std::vector<MenuEntry> entriesOf (const juce::PopupMenu& menu)
{
    std::vector<MenuEntry> entries;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        if (! item.isSeparator && ! item.isSectionHeader)
            entries.push_back ({item.text, item.itemID, item.subMenu.get()});
    }
    return entries;
}

juce::StringArray subMenuNames (const juce::PopupMenu& menu)
{
    juce::StringArray names;
    for (const auto& entry : entriesOf (menu))
        if (entry.subMenu != nullptr)
            names.add (entry.text);
    return names;
}

juce::PluginDescription fakeType (const juce::String& maker, const juce::String& name, bool instrument = false,
                                  const juce::String& format = "VST3")
{
    juce::PluginDescription d;
    d.manufacturerName = maker;
    d.name = name;
    d.isInstrument = instrument;
    d.pluginFormatName = format;
    d.fileOrIdentifier = "/plugins/" + maker + "/" + name + ".vst3";
    return d;
}
} // namespace

//==============================================================================
class StudioRack : public RackWinTest
{
protected:
    void SetUp() override
    {
        RackWinTest::SetUp();
        if (processor == nullptr)
            return;
        processor->aux1BuiltIn = 0;
        processor->aux2BuiltIn = 0;
    }

    void TearDown() override
    {
        rack.reset();
        RackWinTest::TearDown();
    }

    StudioRackComponent& makeRack()
    {
        rack = std::make_unique<StudioRackComponent> (*processor);
        rack->setSize (188, 600);
        return *rack;
    }

    std::unique_ptr<StudioRackComponent> rack;
};

TEST_F (StudioRack, AnEmptyProcessorBuildsThreeSectionsWithTheirLoadButtons)
{
    auto& r = makeRack();

    ASSERT_EQ (r.headers.size(), 3);
    const std::pair<const char*, int> headers[] = {{"INSTRUMENTS", 10}, {"INPUT INSERTS", 77}, {"AUX RETURNS", 144}};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (r.headers[i]->getText(), headers[i].first);
        EXPECT_EQ (r.headers[i]->getBounds(), juce::Rectangle<int> (0, headers[i].second, 188, 18));
        EXPECT_EQ (r.headers[i]->findColour (juce::Label::textColourId), juce::Colour (0xffffa500));
    }

    ASSERT_EQ (r.units.size(), 4);
    const std::pair<const char*, int> units[] = {
        {"+ Load Instrument", 30}, {"+ Add Insert FX", 97}, {"Load Aux 1", 164}, {"Load Aux 2", 201}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (unitText (*r.units[i]), units[i].first);
        EXPECT_EQ (r.units[i]->getBounds(), juce::Rectangle<int> (0, units[i].second, 188, 35));
        EXPECT_EQ (r.units[i]->getParentComponent(), &r.content);
    }

    EXPECT_EQ (r.content.getHeight(), 248);
    EXPECT_EQ (r.viewport.getViewedComponent(), &r.content);
    EXPECT_FALSE (r.viewport.isHorizontalScrollBarShown());
}

TEST_F (StudioRack, UnitsNameTheirDevicesAndTheLoadButtonsGoAtTheLimits)
{
    processor->addBuiltInInstrument (5);
    processor->instruments[0]->name = "Bass";
    processor->addBuiltInInstrument (5);
    processor->instruments[1]->name = "Bass";
    processor->instruments[1]->midiChannel = 5;
    processor->addBuiltInInstrument (5);
    processor->instruments[2]->name = "";
    processor->aux1BuiltIn = 2;
    processor->aux2BuiltIn = 7;

    auto& r = makeRack();
    juce::StringArray texts;
    for (auto* unit : r.units)
        texts.add (unitText (*unit));

    EXPECT_EQ (texts, juce::StringArray ({"Bass [Omni]", "Bass [Ch 5]", " [Omni]", "+ Load Instrument",
                                          "+ Add Insert FX", "Aux 1: Velmora Tape Echo", "Aux 2: Velmora Tape Echo"}));

    // A saved reel's aux plug-in still being made shows as loading.
    processor->aux1BuiltIn = 0;
    processor->aux1CustomPath = "/somewhere/Echo.vst3";
    r.rebuild();
    EXPECT_EQ (unitText (*r.units[r.units.size() - 2]), "Aux 1: Loading...");

    // Eight instruments and twelve record-path inserts: no more offered.
    while (processor->instruments.size() < 8)
        processor->addBuiltInInstrument (1);
    for (int i = 0; i < StudioRackComponent::maxInputInserts; ++i)
        processor->addBuiltInEffect (4, -1, TavrelDelayAudioProcessor::InputInserts);
    r.rebuild();

    for (auto* unit : r.units)
    {
        EXPECT_NE (unitText (*unit), RackIds::loadInstrument);
        EXPECT_NE (unitText (*unit), RackIds::addInsertFx);
    }
    EXPECT_EQ (r.units.size(), 8 + 12 + 2);
    EXPECT_EQ (r.content.getHeight(), 30 + 8 * 37 + 30 + 12 * 37 + 30 + 2 * 37 + 10);
}

TEST_F (StudioRack, UnitMenusDriveTheSlots)
{
    processor->addBuiltInInstrument (5);
    processor->addBuiltInEffect (4, 2, TavrelDelayAudioProcessor::InputInserts);
    auto& r = makeRack();

    auto* instrument = dynamic_cast<PluginRackUnit*> (r.units[0]);
    auto* insert = dynamic_cast<PluginRackUnit*> (r.units[2]);
    ASSERT_NE (instrument, nullptr);
    ASSERT_NE (insert, nullptr);
    EXPECT_TRUE (instrument->isInstrument);
    EXPECT_FALSE (instrument->showRouting);
    EXPECT_TRUE (insert->showRouting);
    EXPECT_EQ (insert->targetTrack, 2);

    // Routing writes the slot's track and keeps the units (no rebuild).
    insert->onRoutingSelected (0);
    EXPECT_EQ (processor->inputInserts[0]->targetTrack, 0);
    EXPECT_EQ (r.units[2], insert);

    instrument->onMidiChannelSelected (16);
    EXPECT_EQ (processor->instruments[0]->midiChannel, 16);
    EXPECT_EQ (unitText (*r.units[0]), processor->instruments[0]->name + " [Ch 16]");

    // Clearing the mappings of a stage keyboard slot erases its INST_5_ bindings only.
    processor->midiMap = {{20, "INST_5_TREMRATE"}, {21, "INST_1_CUTOFF"}, {22, "INST_5_VOL"}, {23, "VOL_1"}};
    dynamic_cast<PluginRackUnit*> (r.units[0])->onClearMidiMappings();
    std::multimap<int, juce::String> expected {{21, "INST_1_CUTOFF"}, {23, "VOL_1"}};
    EXPECT_EQ (processor->midiMap, expected);
    r.clearInstrumentMidiMappings (7); // no such slot: nothing
    EXPECT_EQ (processor->midiMap, expected);

    dynamic_cast<PluginRackUnit*> (r.units[2])->onRemove();
    EXPECT_TRUE (processor->inputInserts.empty());
    EXPECT_EQ (unitText (*r.units[2]), RackIds::addInsertFx);

    dynamic_cast<PluginRackUnit*> (r.units[0])->onRemove();
    EXPECT_TRUE (processor->instruments.empty());
    EXPECT_EQ (unitText (*r.units[0]), RackIds::loadInstrument);
}

//==============================================================================
TEST_F (StudioRack, TheRouteDialogListsMonoAndStereoPairs)
{
    auto& r = makeRack();
    ASSERT_EQ (processor->tracks.size(), 8u);

    const auto items = r.routeItems();
    ASSERT_EQ (items.size(), 16);
    EXPECT_EQ (items[0], "Do Not Route (Manual)");
    EXPECT_EQ (items[1], "Track 1 (Mono)");
    EXPECT_EQ (items[2], "Track 1 & Track 2 (Stereo)");
    EXPECT_EQ (items[14], "Track 7 & Track 8 (Stereo)");
    EXPECT_EQ (items[15], "Track 8 (Mono)");

    processor->parameters.state.setProperty ("TrackName_2", "Keys", nullptr);
    EXPECT_EQ (r.routeItems()[2], "Track 1 & Track 2 (Keys) (Stereo)");
}

TEST_F (StudioRack, RoutingAnInstrumentSetsTheTrackSourcesAndMonitors)
{
    auto& r = makeRack();
    int routingChanged = 0;
    r.onRoutingChanged = [&] { ++routingChanged; };

    const auto monitor = [this] (int track)
    { return processor->parameters.getParameter (ParameterIds::forTrack (ParameterIds::MON_, track))->getValue(); };

    struct Case
    {
        const char* what;
        int result, item;
        std::vector<std::pair<int, int>> sources; // 0-based track, source
    };
    const Case cases[] = {
        {"stereo pair 1 & 2", 1, 2, {{0, 106}, {1, 107}}},
        {"track 8 alone", 1, 15, {{7, 106}}},
        {"track 3 alone", 1, 5, {{2, 106}}},
        {"do not route", 1, 0, {}},
        {"cancelled", 0, 2, {}},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        processor->trackInputSources.fill (-1);
        for (int t = 1; t <= 8; ++t)
            processor->parameters.getParameter (ParameterIds::forTrack (ParameterIds::MON_, t))->setValueNotifyingHost (1.0f);
        routingChanged = 0;

        r.routeInstrumentToTrack (c.result, 3, c.item);

        int changed = 0;
        for (int t = 0; t < 8; ++t)
        {
            int expected = -1;
            for (const auto& [track, source] : c.sources)
                if (track == t)
                    expected = source;
            if (expected >= 0)
            {
                ++changed;
                EXPECT_EQ (processor->trackInputSources[(size_t) t], expected) << "track " << t + 1;
                EXPECT_EQ (monitor (t + 1), 0.0f) << "track " << t + 1 << " monitors IN";
            }
            else
            {
                EXPECT_EQ (processor->trackInputSources[(size_t) t], -1) << "track " << t + 1;
                EXPECT_EQ (monitor (t + 1), 1.0f) << "track " << t + 1;
            }
        }
        EXPECT_EQ (changed, (int) c.sources.size());
        EXPECT_EQ (routingChanged, c.sources.empty() ? 0 : 1);
    }
}

TEST_F (StudioRack, ABuiltInInstrumentAsksWhereToRouteAndCancelStillFinishes)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& r = makeRack();

    int opened = 0;
    StudioRackComponent::makeInstrumentWindow = [&] (TavrelDelayAudioProcessor&, TavrelDelayAudioProcessor::InstrumentPlugin&)
    {
        ++opened;
        return static_cast<juce::DocumentWindow*> (nullptr);
    };

    r.handlePluginLibraryChoice (RackIds::instrumentTarget, 24); // stage keyboard
    ASSERT_EQ (processor->instruments.size(), 1u);
    EXPECT_EQ (processor->instruments[0]->builtInType, 5);

    auto* dialog = routeDialog();
    ASSERT_NE (dialog, nullptr);
    EXPECT_EQ (dialog->getProperties()[SafeAlertWindow::bodyTextProperty].toString(), RackIds::routeMessage);
    auto* box = dialog->getComboBoxComponent (RackIds::routeCombo);
    ASSERT_NE (box, nullptr);
    EXPECT_EQ (box->getNumItems(), 16);
    EXPECT_EQ (box->getSelectedItemIndex(), 0);

    box->setSelectedItemIndex (2);
    pressDialogButton (*dialog, RackIds::cancelButton);
    EXPECT_EQ (routeDialog(), nullptr);
    EXPECT_EQ (processor->trackInputSources[0], -1);
    EXPECT_EQ (opened, 1);

    // Route, this time: slot 1 to track 1 and 2.
    r.handlePluginLibraryChoice (RackIds::instrumentTarget, 20);
    dialog = routeDialog();
    ASSERT_NE (dialog, nullptr);
    dialog->getComboBoxComponent (RackIds::routeCombo)->setSelectedItemIndex (2);
    pressDialogButton (*dialog, RackIds::routeButton);
    EXPECT_EQ (processor->trackInputSources[0], 102);
    EXPECT_EQ (processor->trackInputSources[1], 103);
    EXPECT_EQ (opened, 2);

    StudioRackComponent::makeInstrumentWindow = nullptr;
}

//==============================================================================
TEST (PluginLibraryMenuTest, TenMakersGiveTenMenusElevenGiveLetterGroups)
{
    juce::Array<juce::PluginDescription> types;
    const char* makers[] = {"Zeta", "alpha", "Bravo", "Echo Labs", "Kilo", "Lima", "Romeo", "Sierra", "Tango", "9 Volt"};
    for (auto* maker : makers)
        types.add (fakeType (maker, juce::String (maker) + " Fx (VST3)"));

    juce::PopupMenu flat;
    PluginLibraryMenu::addMakerMenus (flat, types, false, 1000, "Unknown");
    EXPECT_EQ (subMenuNames (flat), juce::StringArray ({"9 Volt", "alpha", "Bravo", "Echo Labs", "Kilo", "Lima",
                                                        "Romeo", "Sierra", "Tango", "Zeta"}));

    // An instruments-only maker makes no menu but counts: eleven makers, grouped.
    types.add (fakeType ("Mike", "Organ", true));
    types.add (fakeType ("", "Nameless"));
    juce::PopupMenu grouped;
    PluginLibraryMenu::addMakerMenus (grouped, types, false, 1000, "Unknown");
    EXPECT_EQ (subMenuNames (grouped), juce::StringArray ({"A - D", "E - K", "L - R", "S - Z", "Other"}));

    const auto groups = entriesOf (grouped);
    EXPECT_EQ (subMenuNames (*groups[0].subMenu), juce::StringArray ({"alpha", "Bravo"}));
    EXPECT_EQ (subMenuNames (*groups[2].subMenu), juce::StringArray ({"Lima", "Romeo"}));
    EXPECT_EQ (subMenuNames (*groups[3].subMenu), juce::StringArray ({"Sierra", "Tango", "Unknown", "Zeta"}));
    EXPECT_EQ (subMenuNames (*groups[4].subMenu), juce::StringArray ({"9 Volt"}));

    // Items: the plug-in's position in the list, its name cleaned and marked with its format.
    const auto alpha = entriesOf (*entriesOf (*groups[0].subMenu)[0].subMenu);
    ASSERT_EQ (alpha.size(), 1u);
    EXPECT_EQ (alpha[0].text, "alpha Fx  [VST3]");
    EXPECT_EQ (alpha[0].id, 1001);
}

TEST (PluginLibraryMenuTest, ItemTextsAndLeftOutMakers)
{
    EXPECT_EQ (PluginLibraryMenu::itemText (fakeType ("M", "Echo Box (VST3)")), "Echo Box  [VST3]");
    EXPECT_EQ (PluginLibraryMenu::itemText (fakeType ("M", " Verb (AU) ", false, "AudioUnit")), "Verb  [AU]");
    EXPECT_EQ (PluginLibraryMenu::itemText (fakeType ("M", "Chorus (AUv3)")), "Chorus  [VST3]");

    juce::Array<juce::PluginDescription> types;
    types.add (fakeType ("PineAPPLE Audio", "Juice"));
    types.add (fakeType ("Apple", "AUDelay"));
    types.add (fakeType ("Velvet", "Synth", true));
    types.add (fakeType ("Velvet", "Comp"));

    juce::PopupMenu effects, instruments;
    PluginLibraryMenu::addMakerMenus (effects, types, false, 1000, "Unknown");
    PluginLibraryMenu::addMakerMenus (instruments, types, true, 1000, "Unknown");
    EXPECT_EQ (subMenuNames (effects), juce::StringArray ({"Velvet"}));
    EXPECT_EQ (entriesOf (*entriesOf (effects)[0].subMenu)[0].id, 1003);
    EXPECT_EQ (entriesOf (*entriesOf (instruments)[0].subMenu)[0].id, 1002);
}

TEST_F (StudioRack, TheLibraryMenuOffersWhatFitsTheTarget)
{
    auto& r = makeRack();
    const auto ids = [] (const juce::PopupMenu& menu)
    {
        std::vector<int> found;
        for (const auto& entry : entriesOf (menu))
            if (entry.subMenu == nullptr)
                found.push_back (entry.id);
        return found;
    };

    EXPECT_EQ (ids (r.buildPluginLibraryMenu (RackIds::instrumentTarget)), (std::vector<int> {1, 20, 21, 22, 23, 24}));
    EXPECT_EQ (ids (r.buildPluginLibraryMenu (RackIds::inputInsertTarget)),
               (std::vector<int> {1, 10, 11, 12, 16, 13, 14, 15}));
    EXPECT_EQ (ids (r.buildPluginLibraryMenu (RackIds::aux2Target)), (std::vector<int> {1, 10, 11}));

    // The test plug-ins' maker: only its synth for an instrument slot, only its effects elsewhere.
    const auto pluginItems = [] (const juce::PopupMenu& menu)
    {
        juce::StringArray texts;
        for (const auto& entry : entriesOf (menu))
            if (entry.subMenu != nullptr)
                for (const auto& item : entriesOf (*entry.subMenu))
                    texts.add (item.text);
        texts.sort (false);
        return texts;
    };
    EXPECT_EQ (pluginItems (r.buildPluginLibraryMenu (RackIds::instrumentTarget)),
               juce::StringArray ({"Dravin Test Quad Synth  [VST3]"}));
    EXPECT_EQ (pluginItems (r.buildPluginLibraryMenu (RackIds::aux1Target)),
               juce::StringArray ({"Dravin Test Gain  [VST3]", "Dravin Test State  [VST3]"}));
}

TEST_F (StudioRack, BuiltInEffectsGoIntoTheRecordPathAndTheAuxReturns)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& r = makeRack();

    r.handlePluginLibraryChoice (RackIds::inputInsertTarget, 16);
    ASSERT_EQ (processor->inputInserts.size(), 1u);
    EXPECT_EQ (processor->inputInserts[0]->builtInType, 7);
    ASSERT_EQ (r.pluginWindows.size(), 1);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*r.pluginWindows[0]));

    // Open Editor of that slot brings its window forward instead of opening a second one.
    dynamic_cast<PluginRackUnit*> (r.units[1])->onOpenEditor();
    EXPECT_EQ (r.pluginWindows.size(), 1);

    r.handlePluginLibraryChoice (RackIds::aux2Target, 10);
    EXPECT_EQ (processor->aux2BuiltIn, 1);
    EXPECT_EQ (unitText (*r.units[r.units.size() - 1]), "Aux 2: Velmora Analog Reverb");
    EXPECT_EQ (r.pluginWindows.size(), 2);

    r.closeAllPluginWindows();
    EXPECT_TRUE (r.pluginWindows.isEmpty());
}

//==============================================================================
// Plug-ins from the known list.

TEST_F (StudioRack, AnInsertPluginOpensTheEditorOfThePluginThatRequestAdded)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& r = makeRack();

    r.handlePluginLibraryChoice (RackIds::inputInsertTarget, pluginItem (Kind::state));
    // Another plug-in lands in the chain after it, before the rack looks.
    processor->addInputInsertPlugin (describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());
    ASSERT_EQ (processor->inputInserts.size(), 2u);

    auto* requested = processor->inputInserts[0]->instance.get();
    auto* other = processor->inputInserts[1]->instance.get();
    ASSERT_EQ (requested->getName(), TestPlugins::displayName (Kind::state));

    ASSERT_TRUE (RackUiTest::pumpUntil ([&] { return StudioRackComponent::getNumWaitingLoads() == 0; }));
    auto* window = SlotEditorWindows::find (SlotEditorWindows::windowId (requested));
    ASSERT_NE (window, nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
    EXPECT_EQ (SlotEditorWindows::find (SlotEditorWindows::windowId (other)), nullptr);
    EXPECT_EQ (unitText (*r.units[1]), TestPlugins::displayName (Kind::state));

    // Opening it again brings that window forward; removing the slot closes it.
    r.openPluginEditor (requested);
    EXPECT_EQ (countSlotEditors(), 1);
    dynamic_cast<PluginRackUnit*> (r.units[1])->onRemove();
    EXPECT_EQ (countSlotEditors(), 0);
    EXPECT_EQ (processor->inputInserts.size(), 1u);
}

TEST_F (StudioRack, ReplacingAnAuxPluginWaitsForTheNewOneAndClosesTheOldWindowFirst)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& r = makeRack();

    r.handlePluginLibraryChoice (RackIds::aux1Target, pluginItem (Kind::gain));
    ASSERT_TRUE (RackUiTest::pumpUntil ([&] { return StudioRackComponent::getNumWaitingLoads() == 0; }));
    auto* old = processor->aux1Plugin.get();
    ASSERT_NE (old, nullptr);
    EXPECT_NE (SlotEditorWindows::find (SlotEditorWindows::windowId (old)), nullptr);
    EXPECT_EQ (processor->aux1BuiltIn, 0);

    r.handlePluginLibraryChoice (RackIds::aux1Target, pluginItem (Kind::state));
    EXPECT_EQ (SlotEditorWindows::find (SlotEditorWindows::windowId (old)), nullptr);

    // The user opens the old one again while the new one loads.
    r.openPluginEditor (old);
    ASSERT_NE (SlotEditorWindows::find (SlotEditorWindows::windowId (old)), nullptr);

    ASSERT_TRUE (RackUiTest::pumpUntil ([&] { return StudioRackComponent::getNumWaitingLoads() == 0; }));
    auto* replacement = processor->aux1Plugin.get();
    ASSERT_NE (replacement, nullptr);
    EXPECT_EQ (replacement->getName(), TestPlugins::displayName (Kind::state));

    // Only the new plug-in's editor is open; the old plug-in went after its window.
    EXPECT_EQ (countSlotEditors(), 1);
    EXPECT_NE (SlotEditorWindows::find (SlotEditorWindows::windowId (replacement)), nullptr);
    runMessages (100);
    EXPECT_EQ (processor->releaseRetiredSlots(), 0);

    // Remove Plugin on the aux unit: window closed, plug-in out, load button back.
    dynamic_cast<PluginRackUnit*> (r.units[r.units.size() - 2])->onRemove();
    EXPECT_EQ (processor->aux1Plugin, nullptr);
    EXPECT_EQ (countSlotEditors(), 0);
    EXPECT_EQ (unitText (*r.units[r.units.size() - 2]), RackIds::loadAux1);
}

TEST_F (StudioRack, ANewInstrumentPluginIsRoutedByItsOwnSlot)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& r = makeRack();

    r.handlePluginLibraryChoice (RackIds::instrumentTarget, pluginItem (Kind::quadSynth));
    // A built-in instrument arrives first: the slot count alone would claim the plug-in loaded.
    processor->addBuiltInInstrument (1);
    EXPECT_EQ (routeDialog(), nullptr);

    ASSERT_TRUE (RackUiTest::pumpUntil ([&] { return routeDialog() != nullptr; }));
    ASSERT_EQ (processor->instruments.size(), 2u);
    ASSERT_NE (processor->instruments[1]->instance, nullptr);

    auto* dialog = routeDialog();
    dialog->getComboBoxComponent (RackIds::routeCombo)->setSelectedItemIndex (1);
    pressDialogButton (*dialog, RackIds::routeButton);
    EXPECT_EQ (processor->trackInputSources[0], 102); // slot 1, not slot 0

    EXPECT_NE (SlotEditorWindows::find (SlotEditorWindows::windowId (processor->instruments[1]->instance.get())), nullptr);
}

TEST_F (StudioRack, AWaitForAPluginGivesUpAfterItsTimeOut)
{
    auto& r = makeRack();
    r.pluginLoadTimeoutMs = 300;
    const int before = StudioRackComponent::getNumWaitingLoads();

    auto pending = std::make_shared<StudioRackComponent::PendingLoad>();
    pending->startedMs = juce::Time::getMillisecondCounter();
    bool routed = false;
    StudioRackComponent::waitForPluginLoad (&r, RackIds::instrumentTarget, pending,
                                            [&] (int, std::function<void()>) { routed = true; });

    runMessages (1000);
    // A late answer finds nobody waiting.
    pending->done = true;
    runMessages (300);
    EXPECT_FALSE (routed);
    EXPECT_LE (StudioRackComponent::getNumWaitingLoads(), juce::jmax (0, before - 1));
}

TEST_F (StudioRack, ANinthInstrumentIsRefused)
{
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE (processor->addBuiltInInstrument (1));

    // Two requests while one slot is free: one slot is filled, the other request refused.
    int answers = 0, refused = 0;
    for (int i = 0; i < 2; ++i)
        processor->addInstrumentPlugin (describe (Kind::quadSynth),
                                        [&] (std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot)
                                        {
                                            ++answers;
                                            refused += slot == nullptr ? 1 : 0;
                                        });
    ASSERT_TRUE (waitForCreations());
    runMessages (50);
    EXPECT_EQ (answers, 2);
    EXPECT_EQ (refused, 1);
    EXPECT_EQ (processor->instruments.size(), 8u);

    EXPECT_FALSE (processor->addBuiltInInstrument (2));
    processor->addInstrumentPlugin (describe (Kind::quadSynth), [&] (auto slot) { refused += slot == nullptr ? 1 : 0; });
    runMessages (100);
    EXPECT_EQ (refused, 2);
    EXPECT_EQ (processor->pendingPluginCreations, 0);

    auto& r = makeRack();
    r.handlePluginLibraryChoice (RackIds::instrumentTarget, 22);
    EXPECT_EQ (processor->instruments.size(), 8u);
    EXPECT_EQ (routeDialog(), nullptr);
}
