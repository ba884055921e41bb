# mor_check_include_layers(<name> [ROOT <dir>] RULES "<folder>: <folder it may include>..." ...)
#
# Folders are layers: each rule names a folder (relative to ROOT, the include root, by default the
# top source folder) and the folders its files may include. The files directly in a listed folder
# (headers and sources; a subfolder is a layer of its own) are scanned for #include "..." lines:
#   - an include of a file of the same folder is always allowed;
#   - an include of a listed folder that its rule does not name fails;
#   - an include of an unlisted folder inside a listed one fails too (a new folder joins the table
#     before anything uses it);
#   - everything else (platform/, system headers) is left to other checks.
# The configuration fails at once, and a target <name>_include_layers (which <name>, when it is a
# target, depends on) scans again whenever one of the files changes, so a wrong include also fails
# the build. Example:
#   mor_check_include_layers(exceptions RULES
#     "exceptions: exceptions/capture exceptions/base"
#     "exceptions/capture: exceptions/base"
#     "exceptions/base:")
include_guard(GLOBAL)
# The build runs this file as a script, where no project sets the policies.
cmake_policy(VERSION 3.25)

# The patterns of the files a folder's layer holds.
function(_mor_include_layer_globs root folder out)
  set(globs "")
  foreach(ext IN ITEMS h hpp hh inc c cc cpp cxx)
    list(APPEND globs "${root}/${folder}/*.${ext}")
  endforeach()
  set(${out} "${globs}" PARENT_SCOPE)
endfunction()

function(_mor_include_layer_files root folder out)
  _mor_include_layer_globs("${root}" "${folder}" globs)
  file(GLOB files LIST_DIRECTORIES false ${globs})
  list(SORT files)
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

# Every include that breaks the rules, one text per include, into out.
function(_mor_include_layer_violations root rules out)
  set(folders "")
  foreach(rule IN LISTS rules)
    if(NOT rule MATCHES "^([^:]+):(.*)$")
      message(FATAL_ERROR "mor_check_include_layers: \"${rule}\" is no rule (\"<folder>: <folder>...\")")
    endif()
    string(STRIP "${CMAKE_MATCH_1}" folder)
    string(STRIP "${CMAKE_MATCH_2}" allowed)
    separate_arguments(allowed UNIX_COMMAND "${allowed}")
    list(APPEND folders "${folder}")
    set(_allowed_${folder} "${allowed}")
  endforeach()

  set(problems "")
  foreach(folder IN LISTS folders)
    _mor_include_layer_files("${root}" "${folder}" files)
    foreach(file IN LISTS files)
      file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
      file(RELATIVE_PATH shown "${root}" "${file}")
      foreach(line IN LISTS lines)
        if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
          continue()
        endif()
        set(included "${CMAKE_MATCH_1}")
        # An include the compiler finds beside the file, or one that climbs with "..", is resolved
        # from the file's folder; any other from the include root.
        get_filename_component(dir "${file}" DIRECTORY)
        if(included MATCHES "^\\.\\.?/" OR EXISTS "${dir}/${included}")
          get_filename_component(target "${dir}/${included}" ABSOLUTE)
        else()
          set(target "${root}/${included}")
        endif()
        get_filename_component(target "${target}" DIRECTORY)
        file(RELATIVE_PATH target "${root}" "${target}")
        if(target STREQUAL folder)
          continue()
        endif()
        if(target IN_LIST folders)
          if(NOT target IN_LIST _allowed_${folder})
            string(REPLACE ";" " " may "${_allowed_${folder}}")
            if(may STREQUAL "")
              set(may "no other layer")
            endif()
            list(APPEND problems "${shown} includes \"${included}\": ${folder} may include ${may}")
          endif()
        else()
          foreach(listed IN LISTS folders)
            string(FIND "${target}/" "${listed}/" at)
            if(at EQUAL 0)
              list(APPEND problems "${shown} includes \"${included}\": ${target} is in no rule")
              break()
            endif()
          endforeach()
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${out} "${problems}" PARENT_SCOPE)
endfunction()

function(_mor_include_layer_fail name problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Includes of ${name} point up or sideways:\n  ${text}")
endfunction()

function(mor_check_include_layers name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "ROOT" "RULES")
  if(NOT ARG_ROOT)
    set(ARG_ROOT "${PROJECT_SOURCE_DIR}")
  endif()
  if(NOT ARG_RULES)
    message(FATAL_ERROR "mor_check_include_layers(${name}): no RULES")
  endif()
  _mor_include_layer_violations("${ARG_ROOT}" "${ARG_RULES}" problems)
  if(problems)
    _mor_include_layer_fail("${name}" "${problems}")
  endif()

  # The build scans again when a file changes; a new file makes CMake run again (and so the
  # check above).
  set(globs "")
  foreach(rule IN LISTS ARG_RULES)
    string(REGEX REPLACE ":.*$" "" folder "${rule}")
    string(STRIP "${folder}" folder)
    _mor_include_layer_globs("${ARG_ROOT}" "${folder}" folder_globs)
    list(APPEND globs ${folder_globs})
  endforeach()
  file(GLOB files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${globs})
  string(REPLACE ";" "|" rules "${ARG_RULES}")
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${name}_include_layers.stamp")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND "${CMAKE_COMMAND}" "-DMOR_INCLUDE_LAYERS_NAME=${name}" "-DMOR_INCLUDE_LAYERS_ROOT=${ARG_ROOT}"
            "-DMOR_INCLUDE_LAYERS_RULES=${rules}" "-DMOR_INCLUDE_LAYERS_STAMP=${stamp}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    DEPENDS ${files} "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    COMMENT "Checking the include layers of ${name}"
    VERBATIM)
  add_custom_target(${name}_include_layers ALL DEPENDS "${stamp}")
  if(TARGET ${name})
    add_dependencies(${name} ${name}_include_layers)
  endif()
endfunction()

# The build's scan (cmake -P this file).
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED MOR_INCLUDE_LAYERS_RULES)
  string(REPLACE "|" ";" rules "${MOR_INCLUDE_LAYERS_RULES}")
  _mor_include_layer_violations("${MOR_INCLUDE_LAYERS_ROOT}" "${rules}" problems)
  if(problems)
    _mor_include_layer_fail("${MOR_INCLUDE_LAYERS_NAME}" "${problems}")
  endif()
  file(TOUCH "${MOR_INCLUDE_LAYERS_STAMP}")
endif()
