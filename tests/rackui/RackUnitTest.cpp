#include "rack/EmptyRackSlot.h"
#include "rack/PluginRackUnit.h"
#include "tests/rackui/RackUiTestSupport.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
/** What a unit's callbacks were called with. */
struct Calls
{
    int openEditor = 0, remove = 0, clearMappings = 0;
    juce::Array<int> routing, channels;
};

std::unique_ptr<PluginRackUnit> makeUnit (Calls& calls, bool showRouting, int targetTrack, bool isInstrument)
{
    auto unit = std::make_unique<PluginRackUnit> (
        "Velmora Tape Echo", showRouting, targetTrack, [&calls] { ++calls.openEditor; }, [&calls] { ++calls.remove; },
        [&calls] (int t) { calls.routing.add (t); }, isInstrument, [&calls] (int c) { calls.channels.add (c); },
        [&calls] { ++calls.clearMappings; });
    unit->setBounds (0, 0, 300, RackUnit::unitHeight);
    return unit;
}

/** The entries of a menu as "text" or "text*" (ticked), sub-menus as "name>", separators "-". */
juce::StringArray describe (const juce::PopupMenu& menu)
{
    juce::StringArray items;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        if (item.isSeparator)
            items.add ("-");
        else if (item.subMenu != nullptr)
            items.add (item.text + ">");
        else
            items.add (item.text + (item.isTicked ? "*" : ""));
    }
    return items;
}

const juce::PopupMenu* subMenu (const juce::PopupMenu& menu, const juce::String& name)
{
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (it.getItem().text == name)
            return it.getItem().subMenu.get();
    return nullptr;
}

int idOf (const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
        if (it.getItem().text == text)
            return it.getItem().itemID;
    return 0;
}
} // namespace

TEST (RackUnits, RecordPathUnitRoutesToTheChosenTrack)
{
    Calls calls;
    auto unit = makeUnit (calls, true, 2, false);
    const auto menu = unit->buildMenu();
    EXPECT_EQ (describe (menu), juce::StringArray ({"Open Editor", "-", "Routing>", "-", "Remove Plugin"}));

    const auto* routing = subMenu (menu, "Routing");
    ASSERT_NE (routing, nullptr);
    const auto tracks = describe (*routing);
    ASSERT_EQ (tracks.size(), 25); // always 24 tracks, whatever the reel has
    EXPECT_EQ (tracks[0], "Unassigned");
    EXPECT_EQ (tracks[3], "Track 3*");
    EXPECT_EQ (tracks[24], "Track 24");

    juce::Component::SafePointer<PluginRackUnit> safe (unit.get());
    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Track 1"));
    EXPECT_EQ (unit->targetTrack, 0);
    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Unassigned"));
    EXPECT_EQ (unit->targetTrack, -1);
    EXPECT_EQ (calls.routing, juce::Array<int> ({0, -1}));

    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Open Editor"));
    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Remove Plugin"));
    PluginRackUnit::deliverMenuResult (safe, 0); // dismissed
    EXPECT_EQ (calls.openEditor, 1);
    EXPECT_EQ (calls.remove, 1);
}

TEST (RackUnits, InstrumentAndAuxUnitsOfferTheirOwnEntries)
{
    Calls calls;
    auto instrument = makeUnit (calls, false, -1, true);
    const auto menu = instrument->buildMenu();
    EXPECT_EQ (describe (menu), juce::StringArray ({"Open Editor", "-", "MIDI Input Channel>", "Clear MIDI Mappings", "-",
                                                    "Remove Plugin"}));
    juce::Component::SafePointer<PluginRackUnit> safe (instrument.get());
    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Channel 16"));
    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Omni (All Channels)"));
    PluginRackUnit::deliverMenuResult (safe, idOf (menu, "Clear MIDI Mappings"));
    EXPECT_EQ (calls.channels, juce::Array<int> ({16, 0}));
    EXPECT_EQ (calls.clearMappings, 1);

    auto aux = makeUnit (calls, false, -1, false);
    EXPECT_EQ (describe (aux->buildMenu()), juce::StringArray ({"Open Editor", "-", "Remove Plugin"}));

    // Empty callbacks do nothing.
    PluginRackUnit bare ("Bare", true, -1, {}, {}, {}, true, {}, {});
    juce::Component::SafePointer<PluginRackUnit> bareSafe (&bare);
    for (int id : {1, 2, 3, 99, 105, 200, 216})
        PluginRackUnit::deliverMenuResult (bareSafe, id);
    EXPECT_EQ (bare.targetTrack, 4);
}

TEST (RackUnits, AMenuResultForADeletedUnitTouchesNothing)
{
    // The rack rebuilds (deleting every unit) while a unit's menu is open; the menu's answer
    // then arrives for a unit that no longer exists.
    Calls calls;
    auto unit = makeUnit (calls, true, 0, true);
    juce::Component::SafePointer<PluginRackUnit> safe (unit.get());
    unit.reset();
    for (int id : {1, 2, 3, 99, 101, 205, 0})
        PluginRackUnit::deliverMenuResult (safe, id);
    EXPECT_EQ (calls.openEditor + calls.remove + calls.clearMappings, 0);
    EXPECT_TRUE (calls.routing.isEmpty());
    EXPECT_TRUE (calls.channels.isEmpty());
}

TEST (RackUnits, ARemoveThatDeletesTheUnitIsSafe)
{
    Calls calls;
    auto* unit = makeUnit (calls, true, 0, false).release();
    juce::Component::SafePointer<PluginRackUnit> safe (unit);
    unit->onRemove = [unit] { delete unit; };
    unit->onRoutingSelected = [unit] (int) { delete unit; };
    PluginRackUnit::deliverMenuResult (safe, PluginRackUnit::firstTrackId + 3);
    EXPECT_EQ (safe.getComponent(), nullptr);
}

TEST (RackUnits, ClickOpensOneMenuAtATimeUntilItIsDismissed)
{
    RACKUI_REQUIRE_DISPLAY();
    Calls calls;
    auto unit = makeUnit (calls, true, 0, false);
    unit->addToDesktop (0);
    unit->setVisible (true);
    ASSERT_TRUE (RackUiTest::hasNativeWindow (*unit));

    const auto centre = unit->getLocalBounds().getCentre().toFloat();
    unit->mouseDown (RackUiTest::mouseEventAt (*unit, centre));
    EXPECT_TRUE (unit->menuOpen);
    RackUiTest::pump();

    // A second click while the menu shows opens no other one.
    unit->mouseDown (RackUiTest::mouseEventAt (*unit, centre));
    EXPECT_TRUE (juce::PopupMenu::dismissAllActiveMenus());
    EXPECT_TRUE (RackUiTest::pumpUntil ([&unit] { return ! unit->menuOpen; }));
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus());
    EXPECT_EQ (calls.openEditor + calls.remove, 0);

    unit->mouseDown (RackUiTest::mouseEventAt (*unit, centre));
    EXPECT_TRUE (unit->menuOpen);
    juce::PopupMenu::dismissAllActiveMenus();

    // The unit goes while its menu is open: the dismissal must not touch it.
    unit.reset();
    RackUiTest::pump (200);
}

TEST (RackUnits, EmptySlotButtonIsInsetAndClicks)
{
    int clicks = 0;
    EmptyRackSlot slot ("+ Add Insert FX", [&clicks] { ++clicks; });
    slot.setBounds (0, 0, 300, 35);
    EXPECT_EQ (slot.getName(), "Empty");
    EXPECT_EQ (slot.button.getBounds(), juce::Rectangle<int> (25, 5, 250, 25));
    EXPECT_EQ (slot.button.getButtonText(), "+ Add Insert FX");
    EXPECT_EQ (slot.button.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffd0c0b0));
    EXPECT_EQ (&slot.button.getLookAndFeel(), &slot.look.get());
    slot.button.onClick();
    EXPECT_EQ (clicks, 1);

    slot.setBounds (0, 0, 40, 6);
    EXPECT_EQ (slot.button.getBounds(), juce::Rectangle<int> (25, 5, 0, 0));
}

TEST (RackUnits, FaceplateFollowsTheLook)
{
    Calls calls;
    auto unit = makeUnit (calls, false, -1, false);

    // Vintage: dark brushed gradient, black rails at x 20 and w - 20, silver screws.
    {
        const auto image = unit->createComponentSnapshot (unit->getLocalBounds());
        EXPECT_EQ (unit->label.findColour (juce::Label::textColourId), juce::Colours::white);
        EXPECT_EQ (image.getPixelAt (20, 17).getBrightness(), 0.0f);
        EXPECT_EQ (image.getPixelAt (280, 17).getBrightness(), 0.0f);
        EXPECT_GT (image.getPixelAt (10, 8).getBrightness(), 0.4f) << "silver screw head";
        EXPECT_LT (image.getPixelAt (150, 2).getBrightness(), 0.2f);
        RackUiTest::saveScreenshot (*unit, "rack_unit_vintage.png");
    }

    // Light minimal theme: a white rounded strip and 0xff34495e text.
    ModernLookAndFeel modern;
    juce::LookAndFeel::setDefaultLookAndFeel (&modern);
    unit->sendLookAndFeelChange();
    const auto image = unit->createComponentSnapshot (unit->getLocalBounds());
    EXPECT_EQ (unit->label.findColour (juce::Label::textColourId), juce::Colour (0xff34495e));
    EXPECT_EQ (image.getPixelAt (10, 17), juce::Colours::white);
    RackUiTest::saveScreenshot (*unit, "rack_unit_modern.png");
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}
