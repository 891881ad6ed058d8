#include "platform/Platform.h"
#include "rack/PluginScanChild.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>

namespace
{
// Without an application instance JUCE does not install its X error handlers, and an
// on-screen window under Xvfb would kill the process on the first harmless X error.
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}
} // namespace

int main (int argc, char** argv)
{
    // A test that scans plug-ins may start this executable as its scan child.
    if (auto exitCode = PluginScanChild::runIfRequested (argc, argv))
        return *exitCode;

    ::testing::InitGoogleTest (&argc, argv);

    // Tests never reach the update server; the update check's own tests serve it locally.
    ::setenv ("DRAVIN8_UPDATE_URL", "", 1);

    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    // No test may touch the real per-user or music folders: every run gets fresh ones.
    const TempDir sandbox ("dravin8-tests");
    const Platform::ScopedFolderOverride folders (sandbox.getFile().getChildFile ("user"),
                                                  sandbox.getFile().getChildFile ("music"));

    const int result = RUN_ALL_TESTS();
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
