#pragma once

#include "app/SafeAlertWindow.h"
#include "storage/ReelLibrary.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/TempDir.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TapeRoomComponent.h"
#include "ui/deck/TapeRoomTexts.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace TapeRoomTest
{
using EditorTest::displayAvailable;
using EditorTest::runMessages;

template <typename Predicate>
bool runMessagesUntil (Predicate done, int timeoutMs = 5000)
{
    return EditorTest::runMessagesUntil (done, timeoutMs);
}

/** The alert window that is modal now (the top one), or null. */
inline juce::AlertWindow* modalDialog()
{
    return FlowDialog::findOpenDialog();
}

inline juce::String bodyOf (juce::AlertWindow* window)
{
    return window == nullptr ? juce::String() : window->getProperties()[SafeAlertWindow::bodyTextProperty].toString();
}

/** Presses a button of the modal dialog and waits until the dialog has gone. */
inline void press (juce::AlertWindow* dialog, const juce::String& buttonText)
{
    ASSERT_NE (dialog, nullptr);
    juce::Component::SafePointer<juce::Component> gone (dialog);
    dialog->triggerButtonClick (buttonText);
    ASSERT_TRUE (runMessagesUntil ([&] { return gone == nullptr; }));
}

/** Dismisses every dialog still open, so the next test starts with none. */
inline void closeAllDialogs()
{
    while (auto* dialog = modalDialog())
    {
        juce::Component::SafePointer<juce::Component> gone (dialog);
        dialog->exitModalState (0);
        runMessagesUntil ([&] { return gone == nullptr; }, 2000);
        if (gone != nullptr)
            delete gone.getComponent();
    }
}

/** A tape room on a library of its own in a temporary folder, recording what it asks the editor
    to open or save. */
struct TapeRoomFixture : public ::testing::Test
{
    void SetUp() override
    {
        ASSERT_TRUE (library.setLibraryFolder (root.getFile()));
        room = std::make_unique<TapeRoomComponent> (
            &library, [this] (const juce::String& name) { opened.add (name); },
            [this] (const juce::String& name) { saved.add (name); });
        room->setSize (1360, 906);
    }

    void TearDown() override
    {
        closeAllDialogs();
        room.reset();
    }

    void requireDisplay()
    {
        if (! displayAvailable())
            GTEST_SKIP() << "dialogs need a display";
    }

    /** A reel made the way NEW TAPE makes it, with its folder's time set. */
    void makeReel (const juce::String& name, int tracks = 8, double rate = 44100.0, juce::int64 ageMinutes = 0)
    {
        ASSERT_TRUE (library.createReel (name, 600.0, rate, tracks).wasOk()) << name;
        library.getReelFolder (name).setLastModificationTime (juce::Time::getCurrentTime()
                                                              - juce::RelativeTime::minutes ((double) ageMinutes));
    }

    juce::StringArray rowNames() const
    {
        juce::StringArray names;
        for (const auto& row : room->rows)
            names.add (row.name);
        return names;
    }

    void select (const juce::String& name)
    {
        room->refreshReelList();
        const auto index = rowNames().indexOf (name);
        ASSERT_GE (index, 0) << name;
        room->listBox.selectRow (index);
    }

    /** Types into the search box; the box reports the change through the message loop. */
    void typeSearch (const juce::String& text)
    {
        room->searchBox.setText (text, true);
        runMessages (20);
    }

    bool reelExists (const juce::String& name) const { return root.getFile().getChildFile (name).isDirectory(); }

    TempDir root{"dravin8-taperoom"};
    ReelLibrary library;
    std::unique_ptr<TapeRoomComponent> room;
    juce::StringArray opened, saved;
};
} // namespace TapeRoomTest
