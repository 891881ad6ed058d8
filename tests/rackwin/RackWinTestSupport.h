#pragma once

#include "app/SafeAlertWindow.h"
#include "rack/RackIds.h"
#include "rack/SlotEditorWindows.h"
#include "tests/hosting/HostingTestSupport.h"
#include "tests/rackui/RackUiTestSupport.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A processor of its own with the test plug-ins known to it. Every window a test leaves open
    is closed before the processor goes, so no plug-in outlives it. */
class RackWinTest : public HostingTest
{
protected:
    void SetUp() override
    {
        HostingTest::SetUp();
        if (processor == nullptr)
            return;

        for (auto kind : {Kind::gain, Kind::state, Kind::quadSynth})
            processor->knownPluginList.addType (describe (kind));
    }

    void TearDown() override
    {
        closeSlotEditorsAndDialogs();
        HostingTest::TearDown();
    }

    /** The menu item ID of a test plug-in in the library menus. */
    int pluginItem (Kind kind) const
    {
        const auto types = processor->knownPluginList.getTypes();
        for (int k = 0; k < types.size(); ++k)
            if (types.getReference (k).name == TestPlugins::displayName (kind))
                return RackIds::firstPluginId + k;
        return -1;
    }

    static void closeSlotEditorsAndDialogs()
    {
        juce::PopupMenu::dismissAllActiveMenus();
        for (int i = juce::TopLevelWindow::getNumTopLevelWindows(); --i >= 0;)
        {
            if (i >= juce::TopLevelWindow::getNumTopLevelWindows())
                continue;
            auto* window = juce::TopLevelWindow::getTopLevelWindow (i);
            if (window != nullptr && (window->getComponentID().startsWith (RackIds::editorWindowPrefix)
                                      || dynamic_cast<SafeAlertWindow*> (window) != nullptr))
                delete window;
        }
        runMessages (20);
    }

    /** The top-level windows whose component ID starts with "INS_WIN_". */
    static int countSlotEditors()
    {
        int count = 0;
        for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
            if (juce::TopLevelWindow::getTopLevelWindow (i)->getComponentID().startsWith (RackIds::editorWindowPrefix))
                ++count;
        return count;
    }

    /** The route dialog when it is showing. */
    static SafeAlertWindow* routeDialog()
    {
        for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
            if (auto* dialog = dynamic_cast<SafeAlertWindow*> (juce::TopLevelWindow::getTopLevelWindow (i));
                dialog != nullptr && dialog->getName() == RackIds::routeTitle)
                return dialog;
        return nullptr;
    }

    /** Presses a button of a message box by its text. */
    static void pressDialogButton (juce::Component& dialog, const juce::String& text)
    {
        for (auto* child : dialog.getChildren())
            if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == text)
                button->triggerClick();
        runMessages (100);
    }
};
