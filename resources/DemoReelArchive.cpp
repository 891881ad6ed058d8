#include "resources/DemoReelArchive.h"

// The empty archive, linked only by the tool that generates the real one: the tool runs before
// the archive exists. Every other target links the generated definition (dravin8_demo_reel).
EmbeddedBytes getEmbeddedDemoReelArchive() noexcept
{
    return {};
}
