# Libraries whose sources see only the headers they may use.
#
# Sources include headers by their path from the source root ("model/calendar.h"), yet the root
# is on no include path of the system's own code. Instead each library has folders under the
# build tree that hold links to its headers at those paths: one with its HEADERS, which the
# libraries above it may include, and one with the headers among its SOURCES, which only its
# own sources may. A library reaches the headers of what it DEPENDS on or USES, transitively,
# and no others; an include that runs up a layer, or sideways from one backend into another,
# finds no file and does not build (tests/layers checks this for every layer).
#
#   cyclune_library(NAME [INTERFACE]
#     HEADERS   headers that dependents may include
#     SOURCES   .cpp files, and headers only this library includes
#     DEPENDS   project libraries below this one: linked, and their headers visible to this
#               one and to its dependents
#     PRIVATE_DEPENDS  the same, visible to this library's own sources only
#     USES      project libraries whose headers this one includes but does not link: the
#               program that loads it provides them (the window module runs on the window
#               system of the program module)
#     LIBRARIES third-party libraries, linked PRIVATE)
#
# Paths are relative to the folder of the calling CMakeLists.txt. A new source file is one
# line in its library's list; a header missing from the lists cannot be included.

set(CYCLUNE_HEADER_TREES ${PROJECT_BINARY_DIR}/include)
# Built afresh at every configure, so a header taken off a list is gone from the tree too.
file(REMOVE_RECURSE ${CYCLUNE_HEADER_TREES})

# Links each header into `tree` at its path from the source root.
function(cyclune_link_headers tree)
  foreach(header ${ARGN})
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "cyclune_library: no header ${source}")
    endif()
    file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${source})
    get_filename_component(folder ${tree}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${source} ${tree}/${path} SYMBOLIC)
  endforeach()
endfunction()

function(cyclune_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "INTERFACE" ""
                        "HEADERS;SOURCES;DEPENDS;PRIVATE_DEPENDS;USES;LIBRARIES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "cyclune_library(${name}): unexpected ${arg_UNPARSED_ARGUMENTS}")
  endif()
  set(private_headers ${arg_SOURCES})
  list(FILTER private_headers INCLUDE REGEX "\\.h$")
  set(public_tree ${CYCLUNE_HEADER_TREES}/${name})
  set(private_tree ${CYCLUNE_HEADER_TREES}/${name}.private)
  cyclune_link_headers(${public_tree} ${arg_HEADERS})
  cyclune_link_headers(${private_tree} ${private_headers})

  if(arg_INTERFACE)
    if(arg_SOURCES OR arg_LIBRARIES OR arg_PRIVATE_DEPENDS OR arg_USES)
      message(FATAL_ERROR "cyclune_library(${name}): an INTERFACE library has headers only")
    endif()
    add_library(${name} INTERFACE ${arg_HEADERS})
    target_include_directories(${name} INTERFACE ${public_tree})
    target_link_libraries(${name} INTERFACE ${arg_DEPENDS})
    return()
  endif()

  add_library(${name} STATIC ${arg_SOURCES} ${arg_HEADERS})
  if(arg_HEADERS)
    target_include_directories(${name} PUBLIC ${public_tree})
  endif()
  if(private_headers)
    target_include_directories(${name} PRIVATE ${private_tree})
  endif()
  target_link_libraries(${name} PUBLIC ${arg_DEPENDS}
    PRIVATE cyclune_warnings cyclune_hardening ${arg_PRIVATE_DEPENDS} ${arg_LIBRARIES})
  cyclune_use_headers(${name} ${arg_USES})
endfunction()

# Gives `target` the headers of each library in ARGN without linking it.
function(cyclune_use_headers target)
  foreach(used ${ARGN})
    target_include_directories(${target} PRIVATE
      $<TARGET_PROPERTY:${used},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
endfunction()

# A shared object that the executable opens with dlopen (platform/modules/module_loader.h), named
# FILE_NAME.so and built beside the executable, where the program looks for it in the build
# tree.
#
#   cyclune_module(NAME FILE_NAME [EXPORTS]
#     SOURCES  its entry
#     MEMBERS  libraries linked into it
#     WHOLE    libraries linked into it whole, every function of theirs present
#     USES     libraries whose headers the entry includes)
#
# With EXPORTS its functions serve the modules opened after it (the window module runs on the
# program module's platform); it is linked with -Bsymbolic, so its own calls stay inside
# it, and with -z defs, so nothing it needs is missing from it or its libraries. Without, its
# members are built with hidden visibility, so it exports its entry alone and its functions
# never stand in for the program's of the same names; it is linked with -z now, so a function
# missing from the program fails the dlopen, not a call in the middle of a run.
function(cyclune_module name file_name)
  cmake_parse_arguments(PARSE_ARGV 2 arg "EXPORTS" "" "SOURCES;MEMBERS;WHOLE;USES")
  add_library(${name} MODULE ${arg_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${file_name}
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  target_link_libraries(${name} PRIVATE cyclune_warnings cyclune_hardening ${arg_MEMBERS}
    ${arg_WHOLE})
  cyclune_use_headers(${name} ${arg_USES})
  if(arg_WHOLE)
    list(TRANSFORM arg_WHOLE REPLACE "(.+)" "$<TARGET_FILE:\\1>")
    list(JOIN arg_WHOLE " " whole)
    target_link_options(${name} PRIVATE
      "SHELL:LINKER:--whole-archive ${whole} LINKER:--no-whole-archive")
  endif()
  if(arg_EXPORTS)
    target_link_options(${name} PRIVATE LINKER:-Bsymbolic)
    # Sanitizer and coverage runtimes live in the executable: their symbols stay undefined.
    if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize" AND NOT CYCLUNE_FUZZ)
      target_link_options(${name} PRIVATE LINKER:-z,defs)
    endif()
  else()
    foreach(target ${name} ${arg_MEMBERS})
      set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    endforeach()
    target_link_options(${name} PRIVATE LINKER:-z,now)
  endif()
endfunction()
