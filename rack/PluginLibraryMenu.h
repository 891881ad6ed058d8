#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** The known plug-ins as the library menus of the rack and the insert windows list them: one
    sub-menu per maker, grouped by the maker's first letter when there are more than ten makers.
    Makers whose name contains "Apple" (any case) are left out with all their plug-ins. */
class PluginLibraryMenu
{
public:
    /** Makers with more than this many are grouped by letter. */
    static constexpr int maxFlatMakers = 10;

    /** The item text of a plug-in: its name without " (VST3)", " (AU)" and " (AUv3)", trimmed,
        and "  [AU]" or "  [VST3]" after it. */
    static juce::String itemText (const juce::PluginDescription& description);

    /** The letter group of a maker: "A - D", "E - K", "L - R", "S - Z" or "Other". */
    static juce::String groupOf (const juce::String& maker);

    /** Appends the maker sub-menus (or letter groups) to menu. Only instruments when
        wantInstruments, else only effects; item IDs are firstId + the position in types. An
        empty maker name counts as emptyMakerName. */
    static void addMakerMenus (juce::PopupMenu& menu, const juce::Array<juce::PluginDescription>& types,
                               bool wantInstruments, int firstId, const juce::String& emptyMakerName);
};
