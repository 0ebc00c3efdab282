# The layer targets make an include that names a higher layer fail to
# compile; an include that climbs with "../" would slip past them, so every
# include in the tree must be written from the top ("keeper/StringKeeper.h").
find_program(GIT NAMES git REQUIRED)
execute_process(COMMAND ${GIT} grep --untracked -n -e "^#include \"\\.\\./"
                        -- "*.cpp" "*.h" "*.inc"
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE climbing RESULT_VARIABLE rc)
if(rc EQUAL 0)
  message(FATAL_ERROR "includes climbing with ../:\n${climbing}")
elseif(NOT rc EQUAL 1)
  message(STATUS "not a git checkout; nothing to check")
endif()
