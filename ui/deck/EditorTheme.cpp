#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "ui/looks/ThemeFile.h"

juce::File TavrelDelayAudioProcessorEditor::getThemeFile()
{
    return ThemeFile::getFile();
}

void TavrelDelayAudioProcessorEditor::readTheme()
{
    const auto file = getThemeFile();

    // A missing or broken theme starts the skeuomorphic interface and writes the dark theme
    // anew, so the minimal interface has colours the first time it is chosen.
    if (ThemeFile::read (file) == nullptr)
    {
        useModernUI = false;
        modernLook.setDarkMode (true);
        modernLook.saveTheme (file);
        return;
    }

    useModernUI = ThemeFile::readSwitch ("useModernUI", false, file);
    modernLook.loadTheme (file);
    modernLook.applyThemeColours();
}

bool TavrelDelayAudioProcessorEditor::readShowDustCover()
{
    return ThemeFile::readSwitch ("showDustCover", true, getThemeFile());
}

void TavrelDelayAudioProcessorEditor::hideDustCoverPermanently()
{
    // Keeps the rest of the theme; a write that fails leaves the cover to come back next time.
    ThemeFile::writeSwitch ("showDustCover", false, true, getThemeFile());
}
