# The layer targets make an include that names a higher layer fail to
# compile; an include that climbs with "../", or one that names a file
# beside the includer without its folder (which the compiler finds next to
# the includer whatever the include path), would slip past them. So every
# include in the tree is written from the top ("keeper/StringKeeper.h");
# only the public headers at the top of include/ are named alone.
find_program(GIT NAMES git REQUIRED)
execute_process(COMMAND ${GIT} grep --untracked -n -e "^#include \"\\.\\./"
                        -e "^#include \"[^/\"]*\""
                        -- "*.cpp" "*.h" "*.inc"
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE found RESULT_VARIABLE rc)
if(rc EQUAL 1)
  return()
elseif(NOT rc EQUAL 0)
  message(STATUS "not a git checkout; nothing to check")
  return()
endif()
string(REGEX REPLACE "\n$" "" found "${found}")
string(REPLACE "\n" ";" lines "${found}")
set(wrong "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "#include \"(PhrasorRuntime|QVMemory)\\.h\"")
    string(APPEND wrong "${line}\n")
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "includes not written from the top of the tree:\n${wrong}")
endif()
