// Uses the studio's processor, reel library and first-run content through dravin8_core alone.
#include "effects/ReverbEngine.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "resources/DemoReelArchive.h"

#include <cstdio>

int main()
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const auto sandbox = juce::File::getSpecialLocation (juce::File::tempDirectory)
                             .getNonexistentChildFile ("dravin8-library-user", {}, false);
    int result = 1;
    {
        const Platform::ScopedFolderOverride folders (sandbox.getChildFile ("user"), sandbox.getChildFile ("music"));
        TavrelDelayAudioProcessor processor;
        const auto demo = getEmbeddedDemoReelArchive();
        std::printf ("%s: %d parameters, demo reel %zu bytes\n", processor.getName().toRawUTF8(),
                     processor.getParameters().size(), demo.size);
        result = processor.getParameters().isEmpty() || demo.isEmpty() ? 1 : 0;
    }
    sandbox.deleteRecursively();
    return result;
}
