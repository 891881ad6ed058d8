// Restoring the processor's state: the input is the blob a host hands to setStateInformation.

#include "fuzz/FuzzEnvironment.h"

namespace
{
FuzzEnvironment& environment()
{
    // Never destroyed: libFuzzer leaves through exit(), after JUCE's own statics are gone.
    static auto* instance = new FuzzEnvironment ("state");
    return *instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& env = environment();

    if (size > (size_t)std::numeric_limits<int>::max())
        return 0;

    env.getProcessor().setStateInformation (data, (int)size);
    env.dispatchMessages();
    return 0;
}
