#pragma once

#include <juce_core/juce_core.h>

#include <initializer_list>
#include <utility>

/** "global_settings.xml" in the per-user folder: the app-wide "0"/"1" switches that outlive a
    reel. Every writer goes through here so that none of them loses another's switches. */
namespace GlobalSettingsFile
{
inline constexpr const char* fileName = "global_settings.xml";
inline constexpr const char* rootTag = "SETTINGS";
inline constexpr const char* momentaryTransport = "momentaryTransport";
inline constexpr const char* disableAutoDisarm = "disableAutoDisarm";
inline constexpr const char* varispeedMusicalSnap = "varispeedMusicalSnap";
inline constexpr const char* enable3rdPartyPlugins = "enable3rdPartyPlugins";

/** The file in the per-user folder. */
juce::File getFile();

/** Sets the switches, in the given order, in the document of file and writes it back: other
    attributes and the root's own name stay, an existing switch keeps its place, a new one goes
    after the others; an unreadable or missing file starts a new SETTINGS root. The write goes
    through a temporary file, so a failed one (false) leaves the old file whole. */
bool writeSwitches (const juce::File& file, std::initializer_list<std::pair<const char*, bool>> switches);

/** The same on the per-user file. */
bool writeSwitches (std::initializer_list<std::pair<const char*, bool>> switches);
} // namespace GlobalSettingsFile
