#include "storage/GlobalSettingsFile.h"

#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"

namespace GlobalSettingsFile
{
juce::File getFile()
{
    return Platform::getUserDataFolder().getChildFile (fileName);
}

bool writeSwitches (const juce::File& file, std::initializer_list<std::pair<const char*, bool>> switches)
{
    std::unique_ptr<juce::XmlElement> settings;
    if (file.existsAsFile())
        settings = GuardedXmlReader::parseFile (file);

    if (settings == nullptr)
        settings = std::make_unique<juce::XmlElement> (rootTag);

    for (const auto& [attribute, on] : switches)
        settings->setAttribute (attribute, on ? "1" : "0");

    if (! file.getParentDirectory().createDirectory())
        return false;

    return settings->writeTo (file);
}

bool writeSwitches (std::initializer_list<std::pair<const char*, bool>> switches)
{
    return writeSwitches (getFile(), switches);
}
} // namespace GlobalSettingsFile
