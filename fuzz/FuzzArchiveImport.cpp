// Importing a reel archive: the input is the archive file, imported into the library as the
// tape room's import does; an imported reel is removed again.

#include "fuzz/FuzzEnvironment.h"
#include "storage/ReelLibrary.h"

namespace
{
FuzzEnvironment& environment()
{
    // Never destroyed: libFuzzer leaves through exit(), after JUCE's own statics are gone.
    static auto* instance = new FuzzEnvironment ("archive");
    return *instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& env = environment();
    static auto& library = *new ReelLibrary(); // never destroyed, as the environment

    const auto archive = env.getFolder().getChildFile ("import.zip");
    FuzzEnvironment::write (archive, juce::MemoryBlock (data, size));

    const auto name = library.importReelArchive (archive);

    if (name.isNotEmpty())
        library.getLibraryRoot().getChildFile (name).deleteRecursively();

    return 0;
}
