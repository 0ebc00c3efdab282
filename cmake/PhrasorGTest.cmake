#===- PhrasorGTest.cmake - GoogleTest for native and cross builds ---------===#
#
# Native builds use the installed GoogleTest. Cross builds (and hosts without
# an installed copy) compile it from the Debian source package, so the test
# library always matches the target's architecture and C++ runtime.
#
#===----------------------------------------------------------------------===#

if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
endif()
if(NOT TARGET GTest::gtest)
  set(PHRASOR_GTEST_SOURCE /usr/src/googletest CACHE PATH
      "GoogleTest sources, built when no usable installed copy exists")
  if(NOT EXISTS ${PHRASOR_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest not found: install libgtest-dev, or the "
                        "googletest source package for cross builds")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${PHRASOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest
                   EXCLUDE_FROM_ALL SYSTEM)
endif()

# Per-case discovery starts the test program once per case; under Wine each
# start costs seconds, so Windows builds register the whole program as one
# test instead.
if(WIN32)
  set(PHRASOR_GTEST_DEFAULT_PER_CASE OFF)
else()
  set(PHRASOR_GTEST_DEFAULT_PER_CASE ON)
endif()
option(PHRASOR_GTEST_PER_CASE "Register each GoogleTest case as its own ctest"
       ${PHRASOR_GTEST_DEFAULT_PER_CASE})

include(GoogleTest)
function(phrasor_add_gtest target)
  if(PHRASOR_GTEST_PER_CASE)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  else()
    add_test(NAME ${target} COMMAND ${target})
  endif()
endfunction()
