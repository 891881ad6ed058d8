#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}
} // namespace

int main (int argc, char** argv)
{
    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;

    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    juce::DeletedAtShutdown::deleteAll();
    return 0;
}
