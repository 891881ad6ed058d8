#include "app/TavrelApp.h"
#include "rack/PluginScanChild.h"

int main (int argc, char* argv[])
{
    // Started by the plug-in scanner to load one plug-in file: do that and leave before
    // anything of the application (devices, windows, per-user files) starts.
    if (auto exitCode = PluginScanChild::runIfRequested (argc, argv))
        return *exitCode;

    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new TavrelApp(); };
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
