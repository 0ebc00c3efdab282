# The layer targets make an include that names a higher layer fail to
# compile; an include that climbs with "../" would slip past them, so every
# include in the tree must be written from the top ("keeper/StringKeeper.h").
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/base/* ${SOURCE_DIR}/format/* ${SOURCE_DIR}/keeper/*
     ${SOURCE_DIR}/manager/* ${SOURCE_DIR}/tools/* ${SOURCE_DIR}/tests/*
     ${SOURCE_DIR}/bench/* ${SOURCE_DIR}/fuzz/* ${SOURCE_DIR}/examples/*)
list(FILTER files INCLUDE REGEX "\\.(cpp|h|inc)$")
set(bad "")
foreach(file IN LISTS files)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^#include \"\\.\\./")
  if(lines)
    list(APPEND bad ${file})
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "includes climbing with ../ in: ${bad}")
endif()
