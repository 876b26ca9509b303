# The GNOME Shell extension through which the program reaches GNOME's windows, keys and
# pointer, in its two forms: a script for GNOME Shell 40 to 44, a module for 45 and
# later. Both share desktop.js, which answers only the executables SARQUEN_PROGRAMS lists.
# Written to ${SARQUEN_GNOME_EXTENSIONS_DIR}/<uuid>/ answering the build tree's programs,
# and installed to the system's extension folder answering the installed zorv alone.
set(SARQUEN_GNOME_EXTENSIONS_DIR ${CMAKE_BINARY_DIR}/gnome-shell/extensions)
set(extension_dir ${CMAKE_CURRENT_LIST_DIR})
# The build tree's programs: zorv, and those of the tests that hold the program's bus name
# (the GNOME desktop's test, and the program it replaces on disk while it runs).
set(tests_dir ${CMAKE_BINARY_DIR}/tests/platform/gnome)
set(build_programs "\"${SARQUEN_PROGRAM_DIR}/zorv\", \"${tests_dir}/test_platform_gnome\", \"${tests_dir}/replaced_program\"")
file(READ ${extension_dir}/desktop.js desktop_js)
foreach(form "legacy;sarquen-desktop@ombrel.example;\"40\", \"41\", \"42\", \"43\", \"44\""
             "module;sarquen-desktop-45@ombrel.example;\"45\", \"46\", \"47\", \"48\"")
  list(GET form 0 wrapper)
  list(GET form 1 UUID)
  list(GET form 2 VERSIONS)
  set(out ${SARQUEN_GNOME_EXTENSIONS_DIR}/${UUID})
  file(READ ${extension_dir}/${wrapper}.js wrapper_js)
  string(REPLACE "//@DESKTOP@\n" "${desktop_js}" extension_js "${wrapper_js}")
  string(REPLACE "@SARQUEN_PROGRAMS@" "${build_programs}" built_js "${extension_js}")
  file(WRITE ${out}/extension.js "${built_js}")
  configure_file(${extension_dir}/metadata.json.in ${out}/metadata.json @ONLY)
  # The installed form names the installed zorv, whose prefix is known only at install
  # time (a package installs under /usr).
  set(installed ${CMAKE_CURRENT_BINARY_DIR}/installed/${UUID})
  file(WRITE ${installed}/extension.js.in "${extension_js}")
  install(CODE "
    set(SARQUEN_PROGRAMS \"\\\"\${CMAKE_INSTALL_PREFIX}/${SARQUEN_INSTALL_PROGRAM_DIR}/zorv\\\"\")
    configure_file(\"${installed}/extension.js.in\" \"${installed}/extension.js\" @ONLY)")
  install(FILES ${installed}/extension.js ${out}/metadata.json
          DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/${UUID})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${extension_dir}/desktop.js ${extension_dir}/legacy.js ${extension_dir}/module.js)
