#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"

juce::File TavrelDelayAudioProcessorEditor::getThemeFile()
{
    return Platform::getUserDataFolder().getChildFile ("modern_theme.xml");
}

void TavrelDelayAudioProcessorEditor::readTheme()
{
    const auto theme = GuardedXmlReader::parseFile (getThemeFile());

    if (theme == nullptr)
    {
        useModernUI = false;
        return;
    }

    useModernUI = theme->getBoolAttribute ("useModernUI", false);
}

bool TavrelDelayAudioProcessorEditor::readShowDustCover()
{
    const auto theme = GuardedXmlReader::parseFile (getThemeFile());
    return theme == nullptr || theme->getBoolAttribute ("showDustCover", true);
}

void TavrelDelayAudioProcessorEditor::hideDustCoverPermanently()
{
    // The rest of the theme is kept as it is; a file that does not parse starts over.
    const auto file = getThemeFile();
    auto theme = GuardedXmlReader::parseFile (file);
    if (theme == nullptr)
        theme = std::make_unique<juce::XmlElement> ("THEME");

    theme->setAttribute ("showDustCover", "0");
    file.getParentDirectory().createDirectory();
    theme->writeTo (file);
}
