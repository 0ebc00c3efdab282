# The tool's rooms are layered like the runtime's, lowest first:
#
#   (top level)  what every room shares: Diagnostics, Utf, Locale,
#                Metadata, Progress, KindNames
#   files/       the files the tool reads and writes
#   checks/      what a single value or key is and whether it is sound
#   formats/     the readers and writers, and the registry of them
#   sets/        whole sets of entries: sources read, databases opened, a
#                translation against its source, coverage
#   commands/    one Run* function per subcommand
#   main.cpp, Help.*  the command line
#
# A file may include its own room and the rooms below it. The tool is one
# library, so the compiler cannot hold it to that; this check does.
cmake_policy(VERSION 3.25)
set(ranks "files=1" "checks=2" "formats=3" "sets=4" "commands=5")
# Known exceptions, each on its way out ("room/file -> room/header").
set(allowed "")

function(rank_of path out)
  if(path MATCHES "^([a-z]+)/")
    set(room ${CMAKE_MATCH_1})
    foreach(entry IN LISTS ranks)
      if(entry MATCHES "^${room}=([0-9]+)$")
        set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
        return()
      endif()
    endforeach()
    set(${out} 0 PARENT_SCOPE)
  elseif(path MATCHES "^(main\\.cpp|Help\\.(h|cpp))$")
    set(${out} 6 PARENT_SCOPE)
  else()
    set(${out} 0 PARENT_SCOPE)
  endif()
endfunction()

set(root ${SOURCE_DIR}/tools/phrasor)
file(GLOB_RECURSE files RELATIVE ${root} ${root}/*.h ${root}/*.cpp)
set(wrong "")
foreach(file IN LISTS files)
  rank_of(${file} own)
  file(STRINGS ${root}/${file} includes REGEX "^#include \"tools/phrasor/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"tools/phrasor/([^\"]+)\".*" "\\1"
           target "${line}")
    rank_of(${target} theirs)
    if(theirs GREATER own AND NOT "${file} -> ${target}" IN_LIST allowed)
      string(APPEND wrong "  ${file} -> ${target}\n")
    endif()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "tool includes pointing to a higher room:\n${wrong}")
endif()
