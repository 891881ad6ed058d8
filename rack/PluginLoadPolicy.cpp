#include "rack/PluginLoadPolicy.h"

#include "platform/Platform.h"
#include "rack/PluginScanIds.h"
#include "rack/PluginScanOptions.h"
#include "rack/PluginScanner.h"

namespace
{
// juce::File takes only absolute paths; anything else (a relative path, a Windows path stored by
// another system) names no file here.
bool isUsablePath (const juce::String& path)
{
    return path.isNotEmpty() && juce::File::isAbsolutePath (path);
}

// juce::File folds "a/../b" only where a separator follows the dots: a path that still holds a
// ".." element after that could climb out of a folder it seems to lie in.
bool climbsUp (const juce::File& file)
{
    juce::StringArray elements;
    elements.addTokens (file.getFullPathName(), juce::File::getSeparatorString(), {});
    return elements.contains ("..");
}
} // namespace

PluginLoadPolicy::PluginLoadPolicy() : standardFolders (PluginScanOptions::getStandardSearchFolders()) {}

bool PluginLoadPolicy::isPathAllowed (const juce::String& path, const juce::KnownPluginList& knownPlugins) const
{
    if (! isUsablePath (path) || isBlocked (path, knownPlugins))
        return false;

    return isInStandardFolder (path) || isInKnownList (path, knownPlugins);
}

bool PluginLoadPolicy::isInStandardFolder (const juce::String& path) const
{
    if (! isUsablePath (path))
        return false;

    const juce::File file (path);

    if (climbsUp (file))
        return false;

    for (const auto& folder : standardFolders)
        if (folder != juce::File() && file.isAChildOf (folder))
            return true;

    return false;
}

bool PluginLoadPolicy::isInKnownList (const juce::String& path, const juce::KnownPluginList& knownPlugins)
{
    if (path.isEmpty())
        return false;

    for (const auto& type : knownPlugins.getTypes())
    {
        if (type.fileOrIdentifier == path)
            return true;

        if (isUsablePath (path) && isUsablePath (type.fileOrIdentifier) &&
            juce::File (type.fileOrIdentifier) == juce::File (path))
            return true;
    }

    return false;
}

bool PluginLoadPolicy::isBlocked (const juce::String& path, const juce::KnownPluginList& knownPlugins) const
{
    if (knownPlugins.getBlacklistedFiles().contains (path))
        return true;

    const auto folder = userFolder != juce::File() ? userFolder : Platform::getUserDataFolder();
    juce::StringArray blocked;
    blocked.addLines (folder.getChildFile (PluginScanIds::blockedPluginsFileName).loadFileAsString());

    const auto name = PluginScanner::getFileNameOf (path);
    return name.isNotEmpty() && blocked.contains (name);
}
