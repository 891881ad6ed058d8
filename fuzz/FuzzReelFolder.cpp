// Opening a reel folder: the input is cut into "settings.xml", "automation.xml", the first
// track's WAV file, "defects.gz", a drum sample the rack may name (sample.wav in the
// target's folder) and "manifest.xml" when given, and the reel is opened as the tape room opens it.

#include "fuzz/FuzzEnvironment.h"
#include "storage/ReelFolderFormat.h"
#include "storage/StorageIds.h"

namespace
{
FuzzEnvironment& environment()
{
    // Never destroyed: libFuzzer leaves through exit(), after JUCE's own statics are gone.
    static auto* instance = new FuzzEnvironment ("reel");
    return *instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& env = environment();
    auto& processor = env.getProcessor();
    const auto parts = FuzzEnvironment::split (data, size, 6);
    const auto reel = processor.reelLibrary.getLibraryRoot().getChildFile ("Fuzz");

    reel.deleteRecursively();
    FuzzEnvironment::write (reel.getChildFile (juce::String ("Fuzz") + StorageIds::pointerExtension),
                            juce::MemoryBlock (StorageIds::pointerText, std::strlen (StorageIds::pointerText)));
    FuzzEnvironment::write (reel.getChildFile (StorageIds::settingsFile), parts[0]);
    FuzzEnvironment::write (reel.getChildFile (StorageIds::automationFile), parts[1]);
    FuzzEnvironment::write (reel.getChildFile (ReelFolderFormat::getTrackFileName (0)), parts[2]);
    FuzzEnvironment::write (reel.getChildFile (StorageIds::defectsFile), parts[3]);
    FuzzEnvironment::write (env.getFolder().getChildFile ("sample.wav"), parts[4]);

    if (parts[5].getSize() > 0)
        FuzzEnvironment::write (reel.getChildFile (ReelFolderFormat::manifestFile), parts[5]);

    processor.loadReel ("Fuzz", ReelFolderFormat::mainSlot);
    env.dispatchMessages();
    return 0;
}
