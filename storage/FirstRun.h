#pragma once

#include "resources/DemoReelArchive.h"

#include <juce_core/juce_core.h>

#include <functional>

class ReelLibrary;

/** The content every start makes sure exists: the demo reel in the library and the factory
    presets of the instruments. Only what is missing is added; nothing complete is rewritten,
    so after the first start the job finds everything in place and writes nothing. */
namespace FirstRun
{
inline constexpr const char* demoReelName = "Demo";

/** Empty file inside the demo reel's folder: the demo reel was installed completely. */
inline constexpr const char* installedMarkerFile = ".installed_ok";

enum class DemoOutcome
{
    installed,        // unpacked and marked
    alreadyInstalled, // the folder holds the marker: left as it is
    noArchive,        // the program carries no demo reel
    keptUsersFolder,  // a folder (or file) of that name holds something of the user's: left alone
    failed,           // an unusable archive, no space, an entry that failed, or stopped
};

/** Installs the demo reel archive as the reel folder libraryRoot/name.

    A folder with the marker is complete and never touched. A folder without it is replaced
    only when everything in it is something the archive installs (compared by relative path),
    as an interrupted earlier installation leaves it; anything else there (a reel the user
    saved under that name, with its pointer file) is the user's and stays. The archive is
    unpacked into a hidden folder beside the target, the marker written last, and the folder
    then renamed into place, so the target is never half-filled by this code. Every file keeps
    the entry's stored time, which keeps the recovery copy older than the reel.

    The archive must hold a reel folder at its top ("settings.xml" among its top entries).
    It is read in place, not copied. shouldStop, when given, is polled while unpacking. */
DemoOutcome installDemoReel (const juce::File& libraryRoot, const juce::String& name, EmbeddedBytes archive,
                             const std::function<bool()>& shouldStop = {});

/** The whole job: the demo reel as "Demo" in libraryRoot (skipped when archive is empty),
    then the factory presets of the mono synthesizer, poly synthesizer, slide instrument and
    stage keyboard under userDataFolder. Each step runs however the previous one ended;
    nothing is reported. */
void installFirstRunContent (const juce::File& libraryRoot, const juce::File& userDataFolder, EmbeddedBytes archive,
                             const std::function<bool()>& shouldStop = {});

/** The same for a library: reads its root once, at the start. */
void installFirstRunContent (const ReelLibrary& library, EmbeddedBytes archive = getEmbeddedDemoReelArchive(),
                             const std::function<bool()>& shouldStop = {});
} // namespace FirstRun
