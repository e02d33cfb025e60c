# Install locations and helpers for the files a user's installation needs.
include(GNUInstallDirs)

# Installs a man page compressed, as Debian's policy wants it: vandrel_install_man(page.1)
function(vandrel_install_man page)
    get_filename_component(name ${page} NAME)
    get_filename_component(section ${page} LAST_EXT)
    string(SUBSTRING ${section} 1 -1 section)
    set(compressed ${PROJECT_BINARY_DIR}/man/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/${page} > ${compressed}
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${page}
        VERBATIM)
    add_custom_target(man_${name} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
