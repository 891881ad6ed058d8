#include "rack/PluginScanChild.h"

#include <cstdio>

// Started by scan tests in place of the program: does what the program does when it is started
// to scan one plug-in file, and nothing else.
int main (int argc, char* argv[])
{
    if (auto exitCode = PluginScanChild::runIfRequested (argc, argv))
        return *exitCode;

    std::fprintf (stderr, "usage: %s %s <format> <plug-in file> <result file>\n", argv[0],
                  PluginScanChild::commandLineFlag);
    return 2;
}
