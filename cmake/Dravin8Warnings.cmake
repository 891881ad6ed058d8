# Warnings we want on our own code (JUCE's headers come in as system headers and stay quiet).
# The fuzz build (clang) turns DRAVIN8_WARNINGS_AS_ERRORS off: its warnings differ from g++'s.
option(DRAVIN8_WARNINGS_AS_ERRORS "Treat warnings in our own code as errors" ON)

function(dravin8_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wnon-virtual-dtor $<$<CXX_COMPILER_ID:GNU>:-Wshadow=compatible-local>
        -Wimplicit-fallthrough -Wformat=2 $<$<BOOL:${DRAVIN8_WARNINGS_AS_ERRORS}>:-Werror>)
endfunction()
