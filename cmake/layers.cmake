# The layer table (cmake/layers.txt) and the per-folder source lists.
#   FV_LAYERS                 the folders, lowest first
#   FV_LAYER_DEPS_<folder>    the lower folders it may use
#   FV_CORE_<folder>          its platform-neutral sources (no windows.h)
#   FV_WIN_<folder>           its Windows-only sources
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/layers.txt fv_layer_lines)
set(FV_LAYERS "")
foreach(line IN LISTS fv_layer_lines)
  if(line MATCHES "^([a-z_]+):(.*)$")
    set(folder ${CMAKE_MATCH_1})
    string(STRIP "${CMAKE_MATCH_2}" deps)
    separate_arguments(deps)
    list(APPEND FV_LAYERS ${folder})
    set(FV_LAYER_DEPS_${folder} ${deps})
    set(FV_CORE_${folder} "")
    set(FV_WIN_${folder} "")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/layers.txt)

# fv_sources(folder CORE a.cpp ... WIN b.cpp ...), in <folder>/sources.cmake.
macro(fv_sources folder)
  cmake_parse_arguments(FVS "" "" "CORE;WIN" ${ARGN})
  foreach(file IN LISTS FVS_CORE)
    list(APPEND FV_CORE_${folder} ${CMAKE_SOURCE_DIR}/${folder}/${file})
  endforeach()
  foreach(file IN LISTS FVS_WIN)
    list(APPEND FV_WIN_${folder} ${CMAKE_SOURCE_DIR}/${folder}/${file})
  endforeach()
endmacro()

# fv_tests(folder CORE a_test.cpp ... WIN b_test.cpp ...), in tests/<folder>/sources.cmake.
macro(fv_tests folder)
  cmake_parse_arguments(FVT "" "" "CORE;WIN" ${ARGN})
  foreach(file IN LISTS FVT_CORE)
    list(APPEND FV_CORE_TESTS ${CMAKE_SOURCE_DIR}/tests/${folder}/${file})
  endforeach()
  foreach(file IN LISTS FVT_WIN)
    list(APPEND FV_WIN_TESTS ${CMAKE_SOURCE_DIR}/tests/${folder}/${file})
  endforeach()
endmacro()

# fv_layer_libraries(prefix withWindows): one static library <prefix>_<folder>
# per layer, linked to the libraries of the layers it may use. Sets
# <prefix>_TOP to the highest library (linking it brings every layer) and
# <prefix>_LIBRARIES to all of them. Folders without sources of the kind
# become interface libraries that only pass their dependencies on.
function(fv_layer_libraries prefix withWindows)
  set(all "")
  foreach(folder IN LISTS FV_LAYERS)
    set(srcs ${FV_CORE_${folder}})
    if(withWindows)
      list(APPEND srcs ${FV_WIN_${folder}})
    endif()
    set(deps "")
    foreach(dep IN LISTS FV_LAYER_DEPS_${folder})
      list(APPEND deps ${prefix}_${dep})
    endforeach()
    if(srcs)
      add_library(${prefix}_${folder} STATIC ${srcs})
      target_link_libraries(${prefix}_${folder} PUBLIC ${deps})
      target_include_directories(${prefix}_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
    else()
      add_library(${prefix}_${folder} INTERFACE)
      target_link_libraries(${prefix}_${folder} INTERFACE ${deps})
      target_include_directories(${prefix}_${folder} INTERFACE ${CMAKE_SOURCE_DIR})
    endif()
    list(APPEND all ${prefix}_${folder})
    set(top ${prefix}_${folder})
  endforeach()
  set(${prefix}_TOP ${top} PARENT_SCOPE)
  set(${prefix}_LIBRARIES ${all} PARENT_SCOPE)
endfunction()

# Options for every static library of a set made by fv_layer_libraries.
function(fv_layer_options prefix scope)
  foreach(folder IN LISTS FV_LAYERS)
    get_target_property(type ${prefix}_${folder} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      target_compile_options(${prefix}_${folder} ${scope} ${ARGN})
    endif()
  endforeach()
endfunction()
