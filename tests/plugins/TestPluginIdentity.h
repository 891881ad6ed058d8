#pragma once

#include "tests/plugins/TestPluginNames.h"

/** The identity of this copy of the test plug-in binary, found from the file name it was
    loaded from (a copy named like none of them behaves as the gain plug-in). */
const TestPluginNames::Identity& getTestPluginIdentity();
