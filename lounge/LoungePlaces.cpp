#include "lounge/LoungePlaces.h"

#include "lounge/LoungeIds.h"
#include "platform/Platform.h"

#include <juce_cryptography/juce_cryptography.h>

namespace LoungePlacesFiles
{
juce::File getMakerFolder()
{
    return Platform::getUserDataFolder().getParentDirectory();
}

std::unique_ptr<juce::PropertiesFile> openSettings (const juce::File& settingsFile)
{
    juce::PropertiesFile::Options options;
    options.applicationName = LoungeIds::settingsName;
    options.filenameSuffix = LoungeIds::settingsSuffix;
    options.folderName = LoungeIds::makerFolderName;
    options.osxLibrarySubFolder = "Application Support";
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.millisecondsBeforeSaving = 3000;

    settingsFile.getParentDirectory().createDirectory();
    return std::make_unique<juce::PropertiesFile> (settingsFile, options);
}
} // namespace LoungePlacesFiles

LoungePlaces LoungePlaces::standard()
{
    LoungePlaces places;
    const auto maker = LoungePlacesFiles::getMakerFolder();
    places.settingsFile = maker.getChildFile (juce::String (LoungeIds::settingsName) + LoungeIds::settingsSuffix);
    places.cacheFolder = maker.getChildFile (LoungeIds::cacheFolderName);
    places.pictureFile = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (LoungeIds::pictureFileName);

    if (places.settingsFile.existsAsFile())
        places.serverAddress = LoungePlacesFiles::openSettings (places.settingsFile)->getValue (LoungeIds::serverSetting);

    return places;
}

juce::File getLoungeCacheFolder()
{
    auto folder = LoungePlaces::standard().cacheFolder;
    folder.createDirectory();
    return folder;
}

juce::File getLoungeCacheFile (const juce::File& folder, const juce::String& address)
{
    return folder.getChildFile (juce::MD5 (address.toUTF8()).toHexString() + LoungeIds::cacheExtension);
}
