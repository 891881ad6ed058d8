// Importing a reel archive: the input is the archive file, imported into the library as the
// tape room's import does; an imported reel is removed again.

#include "fuzz/FuzzEnvironment.h"
#include "storage/ReelLibrary.h"

namespace
{
FuzzEnvironment& environment()
{
    static FuzzEnvironment instance ("archive");
    return instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& env = environment();
    static ReelLibrary library;

    const auto archive = env.getFolder().getChildFile ("import.zip");
    FuzzEnvironment::write (archive, juce::MemoryBlock (data, size));

    const auto name = library.importReelArchive (archive);

    if (name.isNotEmpty())
        library.getLibraryRoot().getChildFile (name).deleteRecursively();

    return 0;
}
