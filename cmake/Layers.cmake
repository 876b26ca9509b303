# The program's libraries, one per folder, and the rule between them: a file may include
# the headers of its own library and of the libraries that library links, nothing else.
# sarquen_layers() writes each library's files and what it links to layers.txt in the
# build folder; the `layers` step of every build (CheckLayers.cmake) holds the sources to
# it, so an include that reaches upwards, or a header in no library's list, fails the
# build.

# The targets defined in `dir` and the folders below it, tests and benchmarks left out.
function(sarquen_collect_targets dir out)
  get_property(found DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${sub})
    if(NOT rel MATCHES "^(tests|bench)(/|$)")
      sarquen_collect_targets(${sub} more)
      list(APPEND found ${more})
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The program's targets that `target` links, directly or through others.
function(sarquen_linked_targets target ours out)
  set(seen)
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo current)
    get_target_property(type ${current} TYPE)
    set(links)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${current} LINK_LIBRARIES)
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interface)
      if(link IN_LIST ours AND NOT link IN_LIST seen)
        list(APPEND seen ${link})
        list(APPEND todo ${link})
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(sarquen_layers)
  sarquen_collect_targets(${CMAKE_SOURCE_DIR} ours)
  set(rules "")
  foreach(target IN LISTS ours)
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(files)
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE path)
      cmake_path(IS_PREFIX CMAKE_SOURCE_DIR ${path} NORMALIZE inside)
      if(inside AND EXISTS ${path})
        file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${path})
        list(APPEND files ${rel})
      endif()
    endforeach()
    sarquen_linked_targets(${target} "${ours}" linked)
    string(REPLACE ";" "," files "${files}")
    string(REPLACE ";" "," linked "${linked}")
    string(APPEND rules "${target}|${files}|${linked}\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layers.txt "${rules}")
  add_custom_target(layers ALL
    COMMAND ${CMAKE_COMMAND} -DRULES=${CMAKE_BINARY_DIR}/layers.txt
            -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking that each library includes only what it links")
endfunction()
