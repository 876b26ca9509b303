# The GNOME Shell extension through which the program reaches GNOME's windows, keys and
# pointer, in its two forms: a script for GNOME Shell 40 to 44, a module for 45 and
# later. Both share desktop.js. Written to ${SARQUEN_GNOME_EXTENSIONS_DIR}/<uuid>/ and
# installed to the system's extension folder.
set(SARQUEN_GNOME_EXTENSIONS_DIR ${CMAKE_BINARY_DIR}/gnome-shell/extensions)
set(extension_dir ${CMAKE_CURRENT_LIST_DIR})
file(READ ${extension_dir}/desktop.js desktop_js)
foreach(form "legacy;sarquen-desktop@ombrel.example;\"40\", \"41\", \"42\", \"43\", \"44\""
             "module;sarquen-desktop-45@ombrel.example;\"45\", \"46\", \"47\", \"48\"")
  list(GET form 0 wrapper)
  list(GET form 1 UUID)
  list(GET form 2 VERSIONS)
  set(out ${SARQUEN_GNOME_EXTENSIONS_DIR}/${UUID})
  file(READ ${extension_dir}/${wrapper}.js wrapper_js)
  string(REPLACE "//@DESKTOP@\n" "${desktop_js}" extension_js "${wrapper_js}")
  file(WRITE ${out}/extension.js "${extension_js}")
  configure_file(${extension_dir}/metadata.json.in ${out}/metadata.json @ONLY)
  install(DIRECTORY ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${extension_dir}/desktop.js ${extension_dir}/legacy.js ${extension_dir}/module.js)
