#pragma once

#include <cstddef>

/** Bytes compiled into the program, viewed in place: never copied, never freed. */
struct EmbeddedBytes
{
    const void* data = nullptr;
    std::size_t size = 0;

    bool isEmpty() const noexcept { return data == nullptr || size == 0; }
};

/** The demo reel, a ZIP archive of a complete reel folder (no enclosing folder), as the
    first-run job installs it into the library as "Demo". Generated at build time by
    dravin8_make_demo_reel (resources/tools/MakeDemoReel.cpp). When empty, the first-run job
    installs the presets only. */
EmbeddedBytes getEmbeddedDemoReelArchive() noexcept;
