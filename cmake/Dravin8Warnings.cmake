# Warnings we want on our own code (JUCE's headers come in as system headers and stay quiet).
function(dravin8_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wnon-virtual-dtor -Wshadow=compatible-local -Wimplicit-fallthrough
        -Wformat=2 -Werror)
endfunction()
