#include "resources/DemoReelArchive.h"

EmbeddedBytes getEmbeddedDemoReelArchive() noexcept
{
    // Filled in once the build generates the demo reel with the reel writer.
    return {};
}
