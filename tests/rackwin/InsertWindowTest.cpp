#include "tests/rackwin/RackWinTestSupport.h"

#include "rack/InternalEffectWindow.h"
#include "rack/MasterInsertWindow.h"
#include "rack/TrackInsertWindow.h"

namespace
{
/** A drop of the slot the source window dragged, at window y. */
struct Drop
{
    static void onto (InsertChainWindow& window, int fromSlot, int y)
    {
        window.getProperties().set (RackIds::slotIndexProperty, fromSlot);
        const juce::DragAndDropTarget::SourceDetails details (juce::var ("unused"), &window, {20, y});
        window.itemDropped (details);
    }
};

std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin> builtIn (TavrelDelayAudioProcessor& p, int type, int track,
                                                                  const juce::String& name)
{
    p.addBuiltInEffect (type, track, track < 0 ? TavrelDelayAudioProcessor::MasterInserts
                                               : TavrelDelayAudioProcessor::TrackInserts);
    auto& chain = track < 0 ? p.masterInserts : p.trackInserts;
    chain.back()->name = name;
    return chain.back();
}

juce::StringArray namesOf (const std::vector<std::shared_ptr<TavrelDelayAudioProcessor::InsertPlugin>>& chain)
{
    juce::StringArray names;
    for (const auto& slot : chain)
        names.add (slot->name);
    return names;
}
} // namespace

class InsertWindows : public RackWinTest
{
protected:
    void TearDown() override
    {
        for (auto& window : windows)
            delete window.getComponent();
        RackWinTest::TearDown();
    }

    template <typename Window, typename... Args> Window& open (Args&&... args)
    {
        auto* window = new Window (*processor, std::forward<Args> (args)...);
        windows.add (window);
        return *window;
    }

    juce::Array<juce::Component::SafePointer<juce::Component>> windows;
};

TEST_F (InsertWindows, TheTwinsAreSmallNamedWindows)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& master = open<MasterInsertWindow>();
    auto& track = open<TrackInsertWindow> (2);

    EXPECT_EQ (master.getName(), "Master Bus Inserts");
    EXPECT_EQ (track.getName(), "Track 3 Inserts");
    EXPECT_EQ (open<TrackInsertWindow> (0).getName(), "Track 1 Inserts");

    for (auto* window : {static_cast<InsertChainWindow*> (&master), static_cast<InsertChainWindow*> (&track)})
    {
        EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
        EXPECT_EQ (window->getWidth(), 260);
        EXPECT_EQ (window->getHeight(), 320);
        EXPECT_TRUE (window->isUsingNativeTitleBar());
        EXPECT_FALSE (window->isResizable());
        EXPECT_TRUE (window->isAlwaysOnTop());
        EXPECT_EQ (window->constrainer.preferredWidth, 260);
        EXPECT_EQ (window->constrainer.preferredHeight, 320);
    }

    // Escape closes (and deletes) a window.
    track.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_EQ (windows[1].getComponent(), nullptr);
}

TEST (InsertWindowSlots, SlotsSitEveryFortyPixelsFromY45)
{
    const std::pair<int, int> cases[] = {{0, -1}, {44, -1}, {45, 0}, {79, 0}, {84, 0}, {85, 1},
                                         {165, 3}, {204, 3}, {205, -1}, {319, -1}};
    for (const auto& [y, slot] : cases)
        EXPECT_EQ (InsertChainWindow::slotIndexAt (y), slot) << "y " << y;
}

TEST_F (InsertWindows, ATrackWindowShowsItsOwnTrackAndSwapsOnlyThose)
{
    RACKUI_REQUIRE_DISPLAY();
    builtIn (*processor, 1, 2, "A3");
    builtIn (*processor, 2, 0, "X1");
    builtIn (*processor, 3, 2, "B3");
    auto& window = open<TrackInsertWindow> (2);

    EXPECT_EQ (window.shownPositions(), juce::Array<int> ({0, 2}));
    EXPECT_EQ (window.insertInSlot (1)->name, "B3");

    // Slot 1 dropped on slot 0: the two track-3 entries swap, the other stays where it was.
    processor->unsavedChanges = false;
    Drop::onto (window, 1, 50);
    EXPECT_EQ (namesOf (processor->trackInserts), juce::StringArray ({"B3", "X1", "A3"}));
    EXPECT_TRUE (processor->unsavedChanges);
    EXPECT_FALSE (processor->isSuspended());

    // Onto itself: nothing; onto an empty slot: only marked as changed.
    processor->unsavedChanges = false;
    Drop::onto (window, 0, 50);
    EXPECT_FALSE (processor->unsavedChanges);
    Drop::onto (window, 0, 45 + 40 * 3);
    EXPECT_EQ (namesOf (processor->trackInserts), juce::StringArray ({"B3", "X1", "A3"}));
    EXPECT_TRUE (processor->unsavedChanges);

    const juce::DragAndDropTarget::SourceDetails master (juce::var ("MasterInsert"), &window, {});
    const juce::DragAndDropTarget::SourceDetails track (juce::var ("TrackInsert"), &window, {});
    EXPECT_FALSE (window.isInterestedInDragSource (master));
    EXPECT_TRUE (window.isInterestedInDragSource (track));
}

TEST_F (InsertWindows, TheMasterWindowShowsFourOfItsChainAndIgnoresEmptyDrops)
{
    RACKUI_REQUIRE_DISPLAY();
    for (int i = 0; i < 6; ++i)
        builtIn (*processor, 4, -1, "M" + juce::String (i));
    auto& window = open<MasterInsertWindow>();

    EXPECT_EQ (window.insertInSlot (3)->name, "M3");
    EXPECT_EQ (window.insertInSlot (4), nullptr);

    Drop::onto (window, 3, 50);
    EXPECT_EQ (namesOf (processor->masterInserts), juce::StringArray ({"M3", "M1", "M2", "M0", "M4", "M5"}));

    // A full window opens no library menu on its slots.
    window.mouseDown (RackUiTest::mouseEventAt (window, {100.0f, 180.0f}));
    RackUiTest::pump();
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus());

    processor->masterInserts.resize (1);
    processor->unsavedChanges = false;
    Drop::onto (window, 0, 90);
    EXPECT_FALSE (processor->unsavedChanges);
}

TEST_F (InsertWindows, OnlyTheFirstEmptySlotOpensTheLibrary)
{
    RACKUI_REQUIRE_DISPLAY();
    builtIn (*processor, 4, -1, "Gain");
    auto& window = open<MasterInsertWindow>();

    window.mouseDown (RackUiTest::mouseEventAt (window, {100.0f, 45.0f + 80.0f + 10.0f})); // third slot
    RackUiTest::pump();
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus());

    window.mouseDown (RackUiTest::mouseEventAt (window, {100.0f, 45.0f + 40.0f + 10.0f})); // second slot
    EXPECT_TRUE (juce::PopupMenu::dismissAllActiveMenus());
    RackUiTest::pump();

    std::vector<int> ids;
    const auto library = window.buildPluginLibraryMenu();
    for (juce::PopupMenu::MenuItemIterator it (library); it.next();)
        if (! it.getItem().isSeparator && ! it.getItem().isSectionHeader && it.getItem().subMenu == nullptr)
            ids.push_back (it.getItem().itemID);
    EXPECT_EQ (ids, (std::vector<int> {9999, 10, 11, 12, 16, 13, 14, 15}));
}

TEST_F (InsertWindows, SlotMenuBypassesOpensAndRemoves)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& window = open<TrackInsertWindow> (1);

    window.handlePluginLibraryChoice (11); // tape echo, its window opens
    ASSERT_EQ (processor->trackInserts.size(), 1u);
    auto slot = processor->trackInserts[0];
    EXPECT_EQ (slot->builtInType, 2);
    EXPECT_EQ (slot->targetTrack, 1);
    const auto id = SlotEditorWindows::windowId (slot.get());
    auto* editor = dynamic_cast<InternalEffectWindow*> (SlotEditorWindows::find (id));
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->settings, slot.get());

    // Open Editor again brings it forward.
    window.handleSlotMenuChoice (0, RackIds::openEditorId);
    EXPECT_EQ (countSlotEditors(), 1);

    EXPECT_EQ (window.buildSlotMenu (0).getNumItems(), 3);
    window.handleSlotMenuChoice (0, RackIds::bypassId);
    EXPECT_TRUE (slot->bypass);
    const auto slotMenu = window.buildSlotMenu (0);
    juce::PopupMenu::MenuItemIterator it (slotMenu);
    ASSERT_TRUE (it.next());
    EXPECT_EQ (it.getItem().text, "Unbypass");

    // The bypassed slot is drawn red, "+ Add Insert" in the next.
    const auto image = window.createComponentSnapshot (window.getLocalBounds(), true, 1.0f);
    const auto bypassed = image.getPixelAt (14, 60);
    EXPECT_GT (bypassed.getRed(), 0x70);
    EXPECT_LT (bypassed.getGreen(), 0x30);
    RackUiTest::saveScreenshot (window, "track-insert-window.png");

    // A click right after the menu was answered opens no new menu.
    window.mouseUp (RackUiTest::mouseEventAt (window, {100.0f, 60.0f}));
    RackUiTest::pump();
    EXPECT_FALSE (juce::PopupMenu::dismissAllActiveMenus());

    window.handleSlotMenuChoice (0, RackIds::removeId);
    EXPECT_TRUE (processor->trackInserts.empty());
    EXPECT_EQ (SlotEditorWindows::find (id), nullptr);

    // A stale index changes nothing.
    window.handleSlotMenuChoice (3, RackIds::bypassId);
}

TEST_F (InsertWindows, AddingAPluginOpensTheEditorOfThePluginThatWasAdded)
{
    RACKUI_REQUIRE_DISPLAY();
    processor->addMasterInsertPlugin (describe (Kind::gain));
    ASSERT_TRUE (waitForCreations());
    auto earlier = processor->masterInserts[0];

    auto& window = open<MasterInsertWindow>();
    window.handlePluginLibraryChoice (pluginItem (Kind::state));

    // Nothing opens while the plug-in is being made: not the chain's earlier last insert.
    EXPECT_EQ (countSlotEditors(), 0);

    ASSERT_TRUE (waitForCreations());
    runMessages (50);
    ASSERT_EQ (processor->masterInserts.size(), 2u);
    auto added = processor->masterInserts[1];
    EXPECT_EQ (added->name, TestPlugins::displayName (Kind::state));

    auto* editor = SlotEditorWindows::find (SlotEditorWindows::windowId (added.get()));
    ASSERT_NE (editor, nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*editor));
    EXPECT_EQ (SlotEditorWindows::find (SlotEditorWindows::windowId (earlier.get())), nullptr);
    EXPECT_EQ (countSlotEditors(), 1);
}

TEST_F (InsertWindows, RemovingAHostedSlotClosesItsEditorFirst)
{
    RACKUI_REQUIRE_DISPLAY();
    processor->addTrackInsertPlugin (describe (Kind::gain), 0);
    ASSERT_TRUE (waitForCreations());
    auto& window = open<TrackInsertWindow> (0);

    window.handleSlotMenuChoice (0, RackIds::openEditorId);
    std::weak_ptr<TavrelDelayAudioProcessor::InsertPlugin> slot = processor->trackInserts[0];
    ASSERT_EQ (countSlotEditors(), 1);

    window.handleSlotMenuChoice (0, RackIds::removeId);
    EXPECT_EQ (countSlotEditors(), 0);
    EXPECT_TRUE (processor->trackInserts.empty());
    runMessages (100);
    EXPECT_TRUE (slot.expired());
}
