#include "rack/PluginLibraryMenu.h"

juce::String PluginLibraryMenu::itemText (const juce::PluginDescription& description)
{
    auto name = description.name.replace (" (VST3)", "").replace (" (AU)", "").replace (" (AUv3)", "").trim();
    return name + (description.pluginFormatName.containsIgnoreCase ("AudioUnit") ? "  [AU]" : "  [VST3]");
}

juce::String PluginLibraryMenu::groupOf (const juce::String& maker)
{
    const auto first = maker.toUpperCase()[0];

    if (first >= 'A' && first <= 'D')
        return "A - D";
    if (first >= 'E' && first <= 'K')
        return "E - K";
    if (first >= 'L' && first <= 'R')
        return "L - R";
    if (first >= 'S' && first <= 'Z')
        return "S - Z";
    return "Other";
}

void PluginLibraryMenu::addMakerMenus (juce::PopupMenu& menu, const juce::Array<juce::PluginDescription>& types,
                                       bool wantInstruments, int firstId, const juce::String& emptyMakerName)
{
    const auto makerOf = [&] (const juce::PluginDescription& type)
    { return type.manufacturerName.isEmpty() ? emptyMakerName : type.manufacturerName; };

    juce::StringArray makers;
    for (const auto& type : types)
    {
        const auto maker = makerOf (type);
        if (! maker.containsIgnoreCase ("Apple"))
            makers.addIfNotAlreadyThere (maker);
    }
    makers.sort (true);

    const bool grouped = makers.size() > maxFlatMakers;
    static const char* const groupNames[] = {"A - D", "E - K", "L - R", "S - Z", "Other"};
    juce::PopupMenu groups[5];
    bool groupUsed[5] = {};

    for (const auto& maker : makers)
    {
        juce::PopupMenu makerMenu;
        for (int k = 0; k < types.size(); ++k)
        {
            const auto& type = types.getReference (k);
            if (makerOf (type) == maker && type.isInstrument == wantInstruments)
                makerMenu.addItem (firstId + k, itemText (type));
        }

        if (makerMenu.getNumItems() == 0)
            continue;

        if (! grouped)
        {
            menu.addSubMenu (maker, makerMenu);
            continue;
        }

        const auto group = groupOf (maker);
        for (int g = 0; g < 5; ++g)
        {
            if (group == groupNames[g])
            {
                groups[g].addSubMenu (maker, makerMenu);
                groupUsed[g] = true;
            }
        }
    }

    for (int g = 0; g < 5; ++g)
        if (groupUsed[g])
            menu.addSubMenu (groupNames[g], groups[g]);
}
