#include "rack/PluginManagerWindow.h"
#include "tests/rackui/RackUiTestSupport.h"

#include <gtest/gtest.h>

namespace
{
juce::PluginDescription known (const juce::String& file, const juce::String& name, const juce::String& maker,
                               const juce::String& format = "VST3")
{
    juce::PluginDescription d;
    d.fileOrIdentifier = file;
    d.name = name;
    d.manufacturerName = maker;
    d.pluginFormatName = format;
    d.uniqueId = d.deprecatedUid = file.hashCode();
    return d;
}

/** A manager over three discovered files (one already known) and two known plug-ins that were
    not found, one of them without a manufacturer. */
struct ManagerFixture : public ::testing::Test
{
    void SetUp() override
    {
        RACKUI_REQUIRE_DISPLAY();
        list.addType (known ("/plugins/Velmora/Warmth.vst3", "Warmth Pro", "Velmora Audio"));
        list.addType (known ("/old/Gone.vst3", "Gone", "Gone Inc"));
        list.addType (known ("/old/Nameless.vst3", "Nameless", ""));
        files = {"/plugins/Velmora/Warmth.vst3", "/plugins/Acme/Fresh Delay.vst3", "/Library/Audio/Acme/Spin.component"};
        window = new PluginManagerWindow (files, &list, [this] (const juce::StringArray& scan, const juce::StringArray& forget) {
            toScan = scan;
            toForget = forget;
            ++calls;
        });
    }

    void TearDown() override { delete window.getComponent(); }

    int indexOf (const juce::String& name) const
    {
        for (size_t i = 0; i < window->entries.size(); ++i)
            if (window->entries[i].name == name)
                return (int)i;
        return -1;
    }

    juce::KnownPluginList list;
    juce::StringArray files;
    juce::Component::SafePointer<PluginManagerWindow> window;
    juce::StringArray toScan, toForget;
    int calls = 0;
};
} // namespace

TEST_F (ManagerFixture, OpensAsARealWindowWithItsTitleSizeAndControls)
{
    ASSERT_NE (window.getComponent(), nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
    EXPECT_EQ (window->getName(), "Plugin Manager");
    ASSERT_NE (window->getContentComponent(), nullptr);
    EXPECT_EQ (window->getContentComponent()->getWidth(), 550);
    EXPECT_EQ (window->getContentComponent()->getHeight(), 650);
    EXPECT_TRUE (window->isAlwaysOnTop());
    EXPECT_EQ (window->scanButton.getButtonText(), "Scan / Update Selected");
    EXPECT_EQ (window->scanButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xff005500));
    EXPECT_EQ (window->searchBox.getTextToShowWhenEmpty(), "Search Plugins...");
    EXPECT_EQ (window->searchBox.getBounds(), juce::Rectangle<int> (10, 10, 200, 30));
    EXPECT_EQ (window->noneButton.getBounds(), juce::Rectangle<int> (490, 10, 50, 30));
    EXPECT_EQ (window->allButton.getBounds(), juce::Rectangle<int> (445, 10, 40, 30));
    EXPECT_EQ (window->scanButton.getBounds(), juce::Rectangle<int> (10, 600, 530, 40));
    EXPECT_EQ (window->rows.size(), 5);
    EXPECT_EQ (window->rows[0]->getWidth(), window->viewport->getWidth() - 4);
    RackUiTest::saveScreenshot (*window, "plugin_manager.png");
}

TEST_F (ManagerFixture, EntriesNameKnownNewAndMissingPlugins)
{
    struct Expected
    {
        const char* name;
        const char* manufacturer;
        const char* format;
        bool isKnown;
    };
    const Expected expected[] = {
        {"Warmth Pro", "Velmora Audio", "VST3", true},
        {"Fresh Delay", "Acme", "VST3", false},
        {"Spin", "Acme", "AU", false},
        {"Gone (Missing)", "Gone Inc", "VST3", true},
        {"Nameless (Missing)", "Unknown Manufacturer", "VST3", true},
    };
    // The discovered files come first, in order; the missing ones follow.
    ASSERT_EQ (window->entries.size(), std::size (expected));
    for (size_t i = 0; i < std::size (expected); ++i)
    {
        SCOPED_TRACE (expected[i].name);
        const int index = indexOf (expected[i].name);
        ASSERT_GE (index, 0);
        EXPECT_EQ (index < 3, i < 3);
        const auto& entry = window->entries[(size_t)index];
        EXPECT_EQ (entry.manufacturer, expected[i].manufacturer);
        EXPECT_EQ (entry.format, expected[i].format);
        EXPECT_EQ (entry.isKnown, expected[i].isKnown);
        EXPECT_TRUE (entry.selected);
    }
    EXPECT_EQ (window->entries[0].name, "Warmth Pro");
    EXPECT_EQ (window->entries[0].knownPath, "/plugins/Velmora/Warmth.vst3");
    EXPECT_EQ (window->entries[(size_t)indexOf ("Gone (Missing)")].path, "/old/Gone.vst3");
}

TEST_F (ManagerFixture, ScanListsNewTickedFilesAndForgetListsUntickedKnownOnes)
{
    // Untick the missing plug-in and the new AU file; a known, found plug-in left ticked is in
    // neither list.
    window->rowClicked (indexOf ("Gone (Missing)"), RackUiTest::mouseEventAt (*window, {}));
    window->rowClicked (indexOf ("Spin"), RackUiTest::mouseEventAt (*window, {}));
    window->applySelection();

    EXPECT_EQ (calls, 1);
    EXPECT_EQ (toScan, juce::StringArray ("/plugins/Acme/Fresh Delay.vst3"));
    EXPECT_EQ (toForget, juce::StringArray ("/old/Gone.vst3"));

    // The window closes itself once the caller has its lists.
    EXPECT_TRUE (RackUiTest::pumpUntil ([this] { return window.getComponent() == nullptr; }));
}

TEST_F (ManagerFixture, FormatToggleAndSearchFilterTheRowsAndAllUnticksHiddenOnes)
{
    window->auToggle.setToggleState (false, juce::dontSendNotification);
    window->applyFilter();
    EXPECT_EQ (window->rows.size(), 4);
    EXPECT_FALSE (window->entries[(size_t)indexOf ("Spin")].visible);

    window->allButton.onClick();
    EXPECT_FALSE (window->entries[(size_t)indexOf ("Spin")].selected);
    EXPECT_TRUE (window->entries[(size_t)indexOf ("Fresh Delay")].selected);

    // Search matches the name or the manufacturer, case ignored.
    const auto search = [this] (const juce::String& text) {
        window->searchBox.setText (text, true);
        RackUiTest::pump(); // the editor reports a text change asynchronously
    };
    search ("VELMORA");
    EXPECT_EQ (window->visibleRows, juce::Array<int> ({indexOf ("Warmth Pro")}));
    search ("acme");
    EXPECT_EQ (window->visibleRows, juce::Array<int> ({indexOf ("Fresh Delay")}));

    // None unticks only what is shown.
    window->noneButton.onClick();
    search ({});
    EXPECT_FALSE (window->entries[(size_t)indexOf ("Fresh Delay")].selected);
    EXPECT_TRUE (window->entries[(size_t)indexOf ("Warmth Pro")].selected);
}

TEST_F (ManagerFixture, ShiftClickSetsTheRangeToTheOppositeOfTheClickedRow)
{
    // Row 5 (index 4) unticked before the shift-click: rows 2..5 all become ticked, and vice versa.
    window->rowClicked (4, RackUiTest::mouseEventAt (*window, {}));
    window->rowClicked (1, RackUiTest::mouseEventAt (*window, {}));
    window->rowClicked (1, RackUiTest::mouseEventAt (*window, {}));
    ASSERT_TRUE (window->entries[1].selected);
    ASSERT_FALSE (window->entries[4].selected);

    window->rowClicked (4, RackUiTest::mouseEventAt (*window, {}, juce::ModifierKeys::shiftModifier));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE (window->entries[(size_t)i].selected) << i;

    window->rowClicked (1, RackUiTest::mouseEventAt (*window, {}, juce::ModifierKeys::shiftModifier));
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE (window->entries[(size_t)i].selected) << i;
    EXPECT_TRUE (window->entries[0].selected);

    // Out-of-range indexes are ignored.
    window->rowClicked (99, RackUiTest::mouseEventAt (*window, {}));
    EXPECT_EQ (window->lastClickedIndex, 1);
}

TEST_F (ManagerFixture, ARowClickTogglesThroughTheRealRowAndEscapeCloses)
{
    auto* row = window->rows[1];
    const auto centre = row->getLocalBounds().getCentre().toFloat();
    row->mouseDown (RackUiTest::mouseEventAt (*row, centre));
    EXPECT_FALSE (window->entries[1].selected);

    EXPECT_FALSE (window->keyPressed (juce::KeyPress ('a')));
    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (window.getComponent(), nullptr);
    EXPECT_EQ (calls, 0);
}
