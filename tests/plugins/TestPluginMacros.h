#pragma once

// Forced into every translation unit of the test plug-in (after the command-line definitions):
// the name and category the VST3 factory reports come from the binary's own file name at run time
// instead of from compile-time strings, so one build serves every test plug-in bundle.
#ifdef __cplusplus
extern "C" const char* dravinTestPluginName();
extern "C" const char* dravinTestPluginCategory();

#undef JucePlugin_Name
#define JucePlugin_Name dravinTestPluginName()
#undef JucePlugin_Vst3Category
#define JucePlugin_Vst3Category dravinTestPluginCategory()
#endif
