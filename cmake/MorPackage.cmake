# The libraries as other projects use them, through add_subdirectory or, installed, through
# find_package(MivoOpenReport): each carries its include folder, its language level and its links
# as usage requirements, under the same namespaced names both ways (MivoOpenReport::lxreport...).

set(MOR_LIBRARIES
  platform_rtl platform_classes platform_sys platform_graphics platform_printing platform_printing_cups
  platform_app platform_forms platform_data platform_richtext
  lxreport lxreport_forms exceptions
  ppreport_core ppreport_generation ppreport_descriptors ppreport_search ppreport_output
  ppreport_forms)

# The pp library for programs without windows: every pp library up to the devices.
add_library(ppreport INTERFACE)
target_link_libraries(ppreport INTERFACE ppreport_output)

foreach(lib IN LISTS MOR_LIBRARIES)
  # Headers are named from the project's root ("ppreport/generation/ppReport.h"), installed under
  # include/mivoreport.
  target_include_directories(${lib} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                           $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/mivoreport>)
  target_compile_features(${lib} PUBLIC cxx_std_20)
endforeach()
foreach(lib IN LISTS MOR_LIBRARIES ITEMS ppreport)
  add_library(MivoOpenReport::${lib} ALIAS ${lib})
endforeach()
add_library(MivoOpenReport::lxpdfwriter ALIAS lxpdfwriter)
add_executable(MivoOpenReport::tarvik_dialog ALIAS tarvik_dialog)
# MivoOpenReport::tarvik_debug_gen is made with its program (exceptions/tools), for mor_add_debug_data.

# The PDF export loads its writer component by name at run time, from the program's folder or its
# run path: a program that links the band report library gets the component's folder in its run path.
target_link_options(lxreport INTERFACE
  "$<BUILD_INTERFACE:LINKER:-rpath,$<TARGET_FILE_DIR:lxpdfwriter>>"
  "$<INSTALL_INTERFACE:LINKER:-rpath,$<INSTALL_PREFIX>/${CMAKE_INSTALL_LIBDIR}/mivoreport>")

# Everything the package installs, and nothing else (the viewer and the samples are not in it).
add_custom_target(mor_package DEPENDS ${MOR_LIBRARIES} ${MOR_ICON_TARGETS} lxpdfwriter tarvik_dialog tarvik_debug_gen)

if(MOR_INSTALL)
  include(CMakePackageConfigHelpers)
  set(MOR_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/MivoOpenReport)
  install(TARGETS ${MOR_LIBRARIES} ppreport ${MOR_ICON_TARGETS} EXPORT MivoOpenReportTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          OBJECTS DESTINATION ${CMAKE_INSTALL_LIBDIR}/mivoreport/objects)
  install(TARGETS lxpdfwriter EXPORT MivoOpenReportTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/mivoreport)
  # The reporter's dialog program (looked for beside the program that reports) and the generator
  # of mor_add_debug_data.
  install(TARGETS tarvik_dialog tarvik_debug_gen EXPORT MivoOpenReportTargets
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Whole folders, so that headers moved between folders are installed where they now are.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform ${PROJECT_SOURCE_DIR}/lxreport ${PROJECT_SOURCE_DIR}/exceptions
                    ${PROJECT_SOURCE_DIR}/ppreport
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mivoreport FILES_MATCHING PATTERN "*.h")
  install(EXPORT MivoOpenReportTargets NAMESPACE MivoOpenReport:: DESTINATION ${MOR_PACKAGE_DIR})
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MivoOpenReportConfig.cmake.in
                                ${PROJECT_BINARY_DIR}/MivoOpenReportConfig.cmake INSTALL_DESTINATION ${MOR_PACKAGE_DIR})
  # Before 1.0 a minor version may change what programs rely on.
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/MivoOpenReportConfigVersion.cmake
                                   COMPATIBILITY SameMinorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/MivoOpenReportConfig.cmake ${PROJECT_BINARY_DIR}/MivoOpenReportConfigVersion.cmake
                ${PROJECT_SOURCE_DIR}/cmake/MorDebugData.cmake ${PROJECT_SOURCE_DIR}/exceptions/tools/DefaultOptions.ini
          DESTINATION ${MOR_PACKAGE_DIR})
endif()
