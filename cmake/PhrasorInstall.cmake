#===- PhrasorInstall.cmake - cmake --install and the CMake package ------===#
#
# Installs the headers, the runtime and its host memory library, the typed
# C++ layer and the phrasor tool, with a CMake package
# (find_package(PhrasorRuntime) -> Phrasor::Runtime, Phrasor::QVMemory,
# Phrasor::Cpp) and a pkg-config file, both relocatable.
#
#===----------------------------------------------------------------------===#

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PHRASOR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/PhrasorRuntime)
set_target_properties(PhrasorRuntime PROPERTIES EXPORT_NAME Runtime)
set_target_properties(PhrasorCpp PROPERTIES EXPORT_NAME Cpp)
target_include_directories(PhrasorRuntime PUBLIC
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_include_directories(QVMemory PUBLIC
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
if(NOT WIN32)
  # Installed libraries and the tool find their neighbours where they lie.
  set_target_properties(PhrasorRuntime PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS PhrasorRuntime QVMemory PhrasorCpp
  EXPORT PhrasorRuntimeTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/PhrasorRuntime.h include/QVMemory.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/phrasor DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET phrasor)
  if(NOT WIN32)
    set_target_properties(phrasor PROPERTIES
      INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
  # Exported apart from the libraries, so phrasor_add_catalogs finds the
  # tool as Phrasor::phrasor in a package that has it.
  install(TARGETS phrasor EXPORT PhrasorToolTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(EXPORT PhrasorToolTargets NAMESPACE Phrasor::
    DESTINATION ${PHRASOR_CMAKE_DIR})
endif()
install(FILES cmake/PhrasorCatalogs.cmake DESTINATION ${PHRASOR_CMAKE_DIR})

install(EXPORT PhrasorRuntimeTargets NAMESPACE Phrasor::
  DESTINATION ${PHRASOR_CMAKE_DIR})
configure_package_config_file(cmake/package/PhrasorRuntimeConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/PhrasorRuntimeConfig.cmake
  INSTALL_DESTINATION ${PHRASOR_CMAKE_DIR})
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/PhrasorRuntimeConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/PhrasorRuntimeConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/PhrasorRuntimeConfigVersion.cmake
  DESTINATION ${PHRASOR_CMAKE_DIR})

configure_file(cmake/package/PhrasorRuntime.pc.in
  ${CMAKE_CURRENT_BINARY_DIR}/PhrasorRuntime.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/PhrasorRuntime.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
