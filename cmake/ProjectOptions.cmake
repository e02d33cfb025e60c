# Warnings as errors on our own code only; third-party headers come in as system includes.
function(vandrel_target_options target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

if(VANDREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
