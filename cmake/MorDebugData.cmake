# mor_add_debug_data: the exception reporter's data of a program, made at build time. Used by this
# project and, installed beside its package configuration, by programs that link the reporter.

# The options file programs carry unless they name their own: beside this file when installed, in
# the source tree otherwise.
if(EXISTS "${CMAKE_CURRENT_LIST_DIR}/DefaultOptions.ini")
  set(_mor_default_options "${CMAKE_CURRENT_LIST_DIR}/DefaultOptions.ini")
else()
  set(_mor_default_options "${CMAKE_CURRENT_LIST_DIR}/../exceptions/tools/DefaultOptions.ini")
endif()
set(MOR_DEBUG_DATA_OPTIONS "${_mor_default_options}"
    CACHE FILEPATH "Reporter options that programs carry unless they name their own file")
find_program(MOR_OBJCOPY NAMES objcopy REQUIRED)

# mor_add_debug_data(<target> [OPTIONS <file>] [VERSION <x.y.z>] [DESCRIPTION <text>])
#
# After <target> (a program or shared library) links, tarvik_debug_gen reads its DWARF and writes
# its reporter data (the options of the project file and the debug data), and objcopy puts it into
# the file's ".tvdata" section, with the version and description in ".tvversion". The sections are
# not loaded and survive strip. A program whose file has no ".tvdata" keeps its reporter passive.
# The data comes from the compiler's line tables and function entries: compile with -g. Source
# files are named from the calling project's source folder.
function(mor_add_debug_data target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "OPTIONS;VERSION;DESCRIPTION" "")
  if(NOT ARG_OPTIONS)
    set(ARG_OPTIONS "${MOR_DEBUG_DATA_OPTIONS}")
  endif()
  if(NOT ARG_VERSION)
    set(ARG_VERSION "${PROJECT_VERSION}")
  endif()
  if(NOT ARG_VERSION)
    set(ARG_VERSION "0.0.0")
  endif()
  if(NOT ARG_DESCRIPTION)
    set(ARG_DESCRIPTION "${PROJECT_DESCRIPTION}")
  endif()
  set(gen MivoOpenReport::tarvik_debug_gen)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}.reporter")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    # The generator may be built with the sanitizers; libdw keeps its caches until exit.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:${gen}> --input $<TARGET_FILE:${target}> --output ${dir}/tvdata
            --options ${ARG_OPTIONS} --source-root ${PROJECT_SOURCE_DIR}
            --version-output ${dir}/tvversion --version "${ARG_VERSION}" --description "${ARG_DESCRIPTION}"
    COMMAND ${MOR_OBJCOPY} --remove-section .tvdata --remove-section .tvversion
            --add-section .tvdata=${dir}/tvdata --add-section .tvversion=${dir}/tvversion
            $<TARGET_FILE:${target}>
    COMMENT "Reporter data for ${target}"
    VERBATIM)
  # The generator of this build is built first; an installed one is there already.
  get_target_property(built ${gen} ALIASED_TARGET)
  if(built)
    add_dependencies(${target} ${built})
  endif()
  # A changed options file or generator makes the target link again, and so gets its new data.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${ARG_OPTIONS}" "$<TARGET_FILE:${gen}>")
endfunction()
