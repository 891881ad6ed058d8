#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "storage/ReelFolderWriter.h"
#include "storage/StorageIds.h"
#include "tests/support/TempDir.h"
#include "ui/deck/FlowDialog.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace FlowsTest
{
inline void runMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

template <typename Predicate> bool runMessagesUntil (Predicate done, int timeoutMs = 3000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (! done() && juce::Time::getMillisecondCounter() < end)
        runMessages (5);
    return done();
}

/** The open dialog with that title, waited for a little. */
inline juce::AlertWindow* waitForDialog (const juce::String& title)
{
    runMessagesUntil ([&] { return FlowDialog::findOpenDialog (title) != nullptr; }, 10000);
    return FlowDialog::findOpenDialog (title);
}

inline juce::StringArray buttonTexts (juce::AlertWindow& dialog)
{
    juce::StringArray texts;
    for (auto* child : dialog.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            texts.add (button->getButtonText());
    return texts;
}

/** The first open top-level window of that type. */
template <typename WindowType> WindowType* findWindow()
{
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        if (auto* window = dynamic_cast<WindowType*> (juce::TopLevelWindow::getTopLevelWindow (i)))
            return window;
    return nullptr;
}

/** Clicks the button of the dialog with that text and waits until the dialog has closed. */
inline bool answer (const juce::String& title, const juce::String& buttonText)
{
    auto* dialog = waitForDialog (title);
    if (dialog == nullptr)
        return false;

    for (auto* child : dialog->getChildren())
    {
        if (auto* button = dynamic_cast<juce::TextButton*> (child);
            button != nullptr && button->getButtonText() == buttonText)
        {
            juce::Component::SafePointer<juce::AlertWindow> open (dialog);
            button->triggerClick();
            return runMessagesUntil ([&] { return open == nullptr || ! open->isCurrentlyModal(); });
        }
    }

    ADD_FAILURE() << "no button \"" << buttonText << "\" in \"" << title << "\"";
    return false;
}

/** Closes every dialog still open (a test that failed half way leaves none behind). */
inline void dismissAllDialogs()
{
    for (int guard = 0; guard < 20; ++guard)
    {
        auto* dialog = FlowDialog::findOpenDialog();
        if (dialog == nullptr)
            return;
        dialog->exitModalState (0);
        runMessages (20);
    }
}

/** A processor with an empty library in a temporary folder and its editor. Reels are short
    (4 s at 48 kHz), so every save is quick. */
struct FlowsFixture : public ::testing::Test
{
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    std::unique_ptr<TavrelDelayAudioProcessorEditor> editor;

    void SetUp() override
    {
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        processor->autoSaveTickMilliseconds = 1 << 30;

        // The first-run job installs the demo reel: let it finish, then take it away.
        if (processor->firstRunJob != nullptr)
        {
            ASSERT_TRUE (processor->firstRunJob->waitForThreadToExit (60000));
        }
        root().getChildFile ("Demo").deleteRecursively();

        editor.reset (static_cast<TavrelDelayAudioProcessorEditor*> (processor->createEditor()));
    }

    void TearDown() override
    {
        ReelFolderWriter::setWriteLimitForTesting (-1);
        dismissAllDialogs();
        editor.reset();
        runMessages (20);
        processor.reset();
    }

    juce::File root() const { return processor->reelLibrary.getLibraryRoot(); }

    /** A new reel in the library, not opened. */
    void makeReel (const juce::String& name, int tracks = 8)
    {
        ASSERT_TRUE (processor->reelLibrary.createReel (name, 4.0, 48000.0, tracks).wasOk());
    }

    /** A new reel, opened on the deck through the library path, with unsaved changes. */
    void openChangedReel (const juce::String& name, int tracks = 8)
    {
        makeReel (name, tracks);
        ASSERT_TRUE (editor->openReelAndResetView (name, 0));
        processor->unsavedChanges = true;
    }

    /** Names of the folders in the library root. */
    juce::StringArray libraryFolders() const
    {
        juce::StringArray names;
        for (const auto& entry : juce::RangedDirectoryIterator (root(), false, "*", juce::File::findDirectories))
            names.add (entry.getFile().getFileName());
        names.sort (true);
        return names;
    }
};
} // namespace FlowsTest
