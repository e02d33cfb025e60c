# Warnings on our own code; third-party headers come in as system includes. Warnings turn into
# errors only in the project's own checks (scripts/test turns VANDREL_WERROR on): a user's or a
# packager's build must not break with the next compiler's new warning.
option(VANDREL_WERROR "Treat warnings in the project's own code as errors" OFF)

function(vandrel_target_options target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(VANDREL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(VANDREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
