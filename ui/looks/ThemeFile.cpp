#include "ui/looks/ThemeFile.h"

#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "ui/looks/LookIds.h"

namespace ThemeFile
{
juce::File getFile()
{
    return Platform::getUserDataFolder().getChildFile (LookIds::themeFileName);
}

std::unique_ptr<juce::XmlElement> read (const juce::File& file)
{
    if (! file.existsAsFile())
        return nullptr;

    return GuardedXmlReader::parseFile (file);
}

bool write (const juce::XmlElement& theme, const juce::File& file, bool createFolder)
{
    if (createFolder && ! file.getParentDirectory().createDirectory())
        return false;

    return theme.writeTo (file, {});
}

bool readSwitch (const juce::String& attribute, bool defaultValue, const juce::File& file)
{
    const auto theme = read (file);

    if (theme == nullptr || ! theme->hasAttribute (attribute))
        return defaultValue;

    return parseSwitch (theme->getStringAttribute (attribute));
}

bool writeSwitch (const juce::String& attribute, bool value, bool createFolder, const juce::File& file)
{
    auto theme = read (file);

    if (theme == nullptr)
        theme = std::make_unique<juce::XmlElement> (LookIds::themeRoot);

    theme->setAttribute (attribute, value ? "1" : "0");
    return write (*theme, file, createFolder);
}

juce::uint32 parseColour (const juce::String& text) noexcept
{
    juce::uint32 value = 0;

    // Shifting keeps the last eight digits.
    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
    {
        const int digit = juce::CharacterFunctions::getHexDigitValue (*p);

        if (digit >= 0)
            value = (value << 4) | (juce::uint32)digit;
    }

    return value;
}

juce::String formatColour (juce::uint32 argb)
{
    return juce::String::toHexString ((juce::int64)argb);
}

bool parseSwitch (const juce::String& text) noexcept
{
    const auto first = text.trimStart()[0];
    return first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
}
} // namespace ThemeFile
