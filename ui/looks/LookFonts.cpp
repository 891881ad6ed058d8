#include "ui/looks/LookFonts.h"

namespace LookFonts
{
namespace
{
struct Mapping
{
    const char* requested;
    const char* installed;
    bool slanted; // the script faces have no upright stand-in that reads as handwriting
};

// Metric-compatible faces where Debian has one (Liberation for Arial and Courier New),
// Liberation's narrow cut for the condensed display face, and a slanted sans for the two script
// faces, of which no free equivalent is packaged.
constexpr Mapping table[] = {
    {"Segoe UI", "Liberation Sans", false},
    {"Arial", "Liberation Sans", false},
    {"Courier New", "Liberation Mono", false},
    {"Impact", "Liberation Sans Narrow", false},
    {"Ink Free", "DejaVu Sans", true},
    {"Segoe Script", "DejaVu Sans", true},
};

const Mapping* find (const juce::String& requested)
{
    for (const auto& entry : table)
        if (requested.equalsIgnoreCase (entry.requested))
            return &entry;

    return nullptr;
}
} // namespace

juce::String mapTypefaceName (const juce::String& requested)
{
    if (requested.equalsIgnoreCase ("sans-serif"))
        return juce::Font::getDefaultSansSerifFontName();

    if (requested.equalsIgnoreCase ("monospace"))
        return juce::Font::getDefaultMonospacedFontName();

    if (auto* entry = find (requested))
        return entry->installed;

    return requested;
}

juce::Font font (const juce::String& requestedName, float height, int styleFlags)
{
    return mapped (juce::Font (requestedName, height, styleFlags));
}

bool isInstalled (const juce::String& familyName)
{
    static const juce::StringArray families = juce::Font::findAllTypefaceNames();
    return families.contains (familyName, true);
}

juce::Font mapped (const juce::Font& font)
{
    const auto requested = font.getTypefaceName();
    const auto name = mapTypefaceName (requested);

    if (name == requested)
        return font;

    auto result = font;
    result.setTypefaceName (name);

    // DejaVu names its slanted cuts "Oblique": asked for as italic they would fall back to upright.
    if (auto* entry = find (requested); entry != nullptr && entry->slanted)
        result.setTypefaceStyle (font.isBold() ? "Bold Oblique" : "Oblique");

    return result;
}
} // namespace LookFonts
