# The exception reporter's debug data is made from the compiler's line tables and function entries,
# so every build has them (they are not loaded at run time).
if(NOT CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
  add_compile_options(-g)
endif()

set(MOR_DEBUG_DATA_OPTIONS "${CMAKE_SOURCE_DIR}/exceptions/tools/DefaultOptions.ini"
    CACHE FILEPATH "Reporter options that programs carry unless they name their own file")
find_program(MOR_OBJCOPY NAMES objcopy REQUIRED)

# mor_add_debug_data(<target> [OPTIONS <file>] [VERSION <x.y.z>] [DESCRIPTION <text>])
#
# After <target> (a program or shared library) links, tarvik_debug_gen reads its DWARF and writes
# its reporter data (the options of the project file and the debug data), and objcopy puts it into
# the file's ".tvdata" section, with the version and description in ".tvversion". The sections are
# not loaded and survive strip. A program whose file has no ".tvdata" keeps its reporter passive.
function(mor_add_debug_data target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "OPTIONS;VERSION;DESCRIPTION" "")
  if(NOT ARG_OPTIONS)
    set(ARG_OPTIONS "${MOR_DEBUG_DATA_OPTIONS}")
  endif()
  if(NOT ARG_VERSION)
    set(ARG_VERSION "${PROJECT_VERSION}")
  endif()
  if(NOT ARG_DESCRIPTION)
    set(ARG_DESCRIPTION "${PROJECT_DESCRIPTION}")
  endif()
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}.reporter")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    # The generator may be built with the sanitizers; libdw keeps its caches until exit.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:tarvik_debug_gen> --input $<TARGET_FILE:${target}> --output ${dir}/tvdata
            --options ${ARG_OPTIONS} --source-root ${CMAKE_SOURCE_DIR}
            --version-output ${dir}/tvversion --version "${ARG_VERSION}" --description "${ARG_DESCRIPTION}"
    COMMAND ${MOR_OBJCOPY} --remove-section .tvdata --remove-section .tvversion
            --add-section .tvdata=${dir}/tvdata --add-section .tvversion=${dir}/tvversion
            $<TARGET_FILE:${target}>
    COMMENT "Reporter data for ${target}"
    VERBATIM)
  add_dependencies(${target} tarvik_debug_gen)
  # A changed options file or generator makes the target link again, and so gets its new data.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${ARG_OPTIONS}" "$<TARGET_FILE:tarvik_debug_gen>")
endfunction()
