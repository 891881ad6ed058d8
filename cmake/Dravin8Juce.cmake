# JUCE's modules compiled once into one static library. The modules are linked PRIVATE so their
# sources are not spread into every consumer; the configuration each module header needs is
# re-exported PUBLIC so every translation unit sees the same JUCE_* values.

pkg_check_modules(DRAVIN8_CODECS REQUIRED IMPORTED_TARGET flac vorbisenc vorbisfile vorbis ogg)

set(DRAVIN8_JUCE_MODULES
    juce_core juce_events juce_data_structures juce_graphics juce_gui_basics juce_gui_extra
    juce_audio_basics juce_audio_devices juce_audio_formats juce_audio_processors
    juce_audio_utils juce_dsp juce_cryptography)

set(DRAVIN8_JUCE_DEFINITIONS
    JUCE_STANDALONE_APPLICATION=1
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=1
    JUCE_USE_MP3AUDIOFORMAT=1
    JUCE_USE_FLAC=1
    JUCE_USE_OGGVORBIS=1
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LADSPA=0
    JUCE_JACK=1
    JUCE_ALSA=1
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_STRICT_REFCOUNTEDPOINTER=1
    JUCE_VST3_CAN_REPLACE_VST2=0)

add_library(dravin8_juce STATIC)
target_link_libraries(dravin8_juce PRIVATE ${DRAVIN8_JUCE_MODULES})
foreach(module IN LISTS DRAVIN8_JUCE_MODULES)
    list(APPEND DRAVIN8_JUCE_DEFINITIONS JUCE_MODULE_AVAILABLE_${module}=1)
endforeach()
target_compile_definitions(dravin8_juce PUBLIC ${DRAVIN8_JUCE_DEFINITIONS}
    $<$<CONFIG:Debug>:DEBUG=1 _DEBUG=1> $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>)
target_include_directories(dravin8_juce SYSTEM PUBLIC "${JUCE_MODULES_DIR}")
target_link_libraries(dravin8_juce PUBLIC
    PkgConfig::DRAVIN8_CODECS
    juce::pkgconfig_JUCE_CURL_LINUX_DEPS
    juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
set_target_properties(dravin8_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)
