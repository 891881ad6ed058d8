#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

class MainWindow;
class SafeAlertWindow;
class TavrelDelayAudioProcessor;
class TavrelDelayAudioProcessorEditor;

/** The model of the main window's menu bar: a short bar (File, Setup, Help) while no reel is
    named, the full bar otherwise. Menus are built from the processor's state each time one
    opens; a chosen item goes to the editor's command dispatcher, except the track pickers, the
    plug-in manager and Quit, which are handled here. A 250 ms timer keeps the window title
    current and lets the secondary windows float over the main window only while the program is
    in front. */
class MainAppMenuBar : public juce::MenuBarModel, private juce::Timer
{
public:
    MainAppMenuBar (TavrelDelayAudioProcessor& processor, MainWindow& mainWindow);
    ~MainAppMenuBar() override;

    juce::StringArray getMenuBarNames() override;
    juce::PopupMenu getMenuForIndex (int topLevelMenuIndex, const juce::String& menuName) override;
    void menuItemSelected (int menuItemID, int topLevelMenuIndex) override;

    /** The end of a track picker: sends 28 (erase) or 29 (clear automation) for the chosen track. */
    void trackPickerFinished (int result, int pickerItem, SafeAlertWindow& dialog);

    /** Forgets the plug-ins to remove, then scans the new files, or saves the list when there is
        nothing to scan. */
    void applyPluginManagerChanges (const juce::StringArray& filesToScan, const juce::StringArray& filesToRemove);

    /** The title for a reel name, unsaved state and current slot. */
    static juce::String makeTitle (const juce::String& reelName, bool unsaved, int currentSlot);

    /** One tick of the timer (title, group names, foreground), for tests. */
    void update();

    /** The text of a track in menus and pickers: "Track n", with " (name)" when it has a name. */
    juce::String trackLabel (int track) const;

    /** The open reel's base name (without " (Recovered)") and whether it is named. */
    juce::String baseReelName() const;
    bool hasNamedReel() const;

    TavrelDelayAudioProcessor* processor;
    MainWindow* mainWindow;
    juce::StringArray cachedGroupNames;
    juce::String lastReelName;
    bool lastDirty = false;
    std::array<bool, 4> lastSlotExists{};
    int lastCurrentSlot = 0;
    bool appInForeground = true;

private:
    TavrelDelayAudioProcessorEditor* getEditor() const;
    void timerCallback() override;

    juce::PopupMenu makeFileMenu();
    juce::PopupMenu makeEditMenu();
    juce::PopupMenu makeViewMenu();
    juce::PopupMenu makeTrackMenu();
    juce::PopupMenu makeGroupsMenu();
    juce::PopupMenu makeTransportMenu();
    juce::PopupMenu makeSetupMenu();
    juce::PopupMenu makeHelpMenu();

    /** The key text of a shortcut action, or empty when it has none. */
    juce::String bindingText (const juce::String& action) const;
    bool parameterOn (const char* parameterId) const;
    bool minimalInterfaceOn() const;
    bool minimalThemeIsDark() const;
    void openTrackPicker (int pickerItem);
    void openPluginManager();

    JUCE_DECLARE_WEAK_REFERENCEABLE (MainAppMenuBar)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainAppMenuBar)
};
