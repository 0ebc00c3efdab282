# Fails when clang-format would change any C++ file the repository tracks,
# so formatting stays mechanical.
find_program(CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
find_program(GIT NAMES git REQUIRED)
execute_process(COMMAND ${GIT} ls-files "*.cpp" "*.h"
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE files RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(STATUS "not a git checkout; nothing to check")
  return()
endif()
string(REGEX MATCHALL "[^\n]+" files "${files}")
set(bad "")
foreach(file IN LISTS files)
  execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${file}
                  WORKING_DIRECTORY ${SOURCE_DIR}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    list(APPEND bad ${file})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "clang-format would change: ${bad}")
endif()
