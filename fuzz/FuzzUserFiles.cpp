// Starting with the per-user files in place: the input is cut into "global_settings.xml",
// "midi_map.xml", "known_plugins.xml" and the library's "shelf_layout.xml", which are then read
// by the loaders the processor and the tape room call at start-up.

#include "fuzz/FuzzEnvironment.h"
#include "rack/PluginScanner.h"
#include "storage/StorageIds.h"

namespace
{
FuzzEnvironment& environment()
{
    // Never destroyed: libFuzzer leaves through exit(), after JUCE's own statics are gone.
    static auto* instance = new FuzzEnvironment ("userfiles");
    return *instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& env = environment();
    auto& processor = env.getProcessor();
    const auto parts = FuzzEnvironment::split (data, size, 4);
    const auto user = env.getUserFolder();

    FuzzEnvironment::write (user.getChildFile ("global_settings.xml"), parts[0]);
    FuzzEnvironment::write (user.getChildFile ("midi_map.xml"), parts[1]);
    FuzzEnvironment::write (user.getChildFile ("known_plugins.xml"), parts[2]);
    FuzzEnvironment::write (processor.reelLibrary.getLibraryRoot().getChildFile (StorageIds::shelfLayoutFile), parts[3]);

    processor.loadGlobalSettings();
    processor.loadGlobalMidiMap();
    processor.knownPluginList.clear();
    processor.loadKnownPluginList();

    juce::KnownPluginList list;
    PluginScanner::loadKnownPluginList (list, user);

    processor.reelLibrary.loadShelf();
    return 0;
}
