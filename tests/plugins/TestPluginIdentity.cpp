#include "tests/plugins/TestPluginIdentity.h"

#include <dlfcn.h>
#include <string>

namespace
{
const TestPluginNames::Identity& findIdentity()
{
    Dl_info info{};

    if (dladdr (reinterpret_cast<void*> (&findIdentity), &info) != 0 && info.dli_fname != nullptr)
    {
        std::string name (info.dli_fname);
        name = name.substr (name.find_last_of ('/') + 1);
        name = name.substr (0, name.find ('.'));

        for (auto& identity : TestPluginNames::identities)
            if (name == identity.binaryName)
                return identity;
    }

    return TestPluginNames::identities[0];
}
} // namespace

const TestPluginNames::Identity& getTestPluginIdentity()
{
    static const TestPluginNames::Identity& identity = findIdentity();
    return identity;
}

extern "C" const char* dravinTestPluginName()
{
    return getTestPluginIdentity().displayName;
}

extern "C" const char* dravinTestPluginCategory()
{
    return getTestPluginIdentity().isInstrument ? "Instrument|Synth" : "Fx";
}
