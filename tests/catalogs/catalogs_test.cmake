#===- catalogs_test.cmake - phrasor_add_catalogs in projects of its own ---===#
#
#   cmake -DCASE=<name> -DTOOL=<phrasor> -DMODULE=<PhrasorCatalogs.cmake>
#         -DINCLUDE=<the layer's include dir> -DWORK=<scratch dir>
#         [-DGENERATOR=<generator>] -P catalogs_test.cmake
#
# Each case writes a small project that calls the function, with the tool
# given as a build machine's tool is (PHRASOR_EXECUTABLE), configures and
# builds it as a user would, and looks at what the build left.
#
#===----------------------------------------------------------------------===#

cmake_minimum_required(VERSION 3.25)
if(NOT GENERATOR)
  set(GENERATOR "Unix Makefiles")
endif()
set(src ${WORK}/src)
set(bin ${WORK}/build)
file(REMOVE_RECURSE ${WORK})

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${CASE}: ${text}")
endfunction()

# Runs a command; with EXPECT_FAILURE it must fail. Its output lands in
# <out>.
function(run out)
  cmake_parse_arguments(PARSE_ARGV 1 run "EXPECT_FAILURE" "" "COMMAND")
  execute_process(COMMAND ${run_COMMAND} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE text ERROR_VARIABLE text)
  if(run_EXPECT_FAILURE AND rc EQUAL 0)
    fail("'${run_COMMAND}' succeeded:\n${text}")
  elseif(NOT run_EXPECT_FAILURE AND NOT rc EQUAL 0)
    fail("'${run_COMMAND}' failed:\n${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(expect_in text needle)
  string(FIND "${text}" "${needle}" at)
  if(at EQUAL -1)
    fail("expected '${needle}' in:\n${text}")
  endif()
endfunction()

function(expect_file path)
  if(NOT EXISTS ${path})
    fail("no ${path}")
  endif()
endfunction()

# The project: an executable 'game' whose main.cpp includes \p headers,
# then \p body, the calls under test.
function(write_project body)
  cmake_parse_arguments(PARSE_ARGV 1 w "" "" "HEADERS")
  set(main "")
  foreach(h IN LISTS w_HEADERS)
    string(APPEND main "#include \"${h}\"\n")
  endforeach()
  file(WRITE ${src}/main.cpp "${main}int main() { return 0; }\n")
  file(WRITE ${src}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(CatalogsCase LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
include(\"${MODULE}\")
add_executable(game main.cpp)
target_include_directories(game PRIVATE \"${INCLUDE}\")
${body}
")
endfunction()

function(write_catalog path language greeting)
  file(WRITE ${path} "id,value\n@locale,${language}\nGREETING,\"${greeting}, %1!s!!\"\n")
endfunction()

function(configure out)
  run(text ${ARGN} COMMAND ${CMAKE_COMMAND} -S ${src} -B ${bin}
      -G ${GENERATOR} -DPHRASOR_EXECUTABLE=${TOOL} -DCMAKE_BUILD_TYPE=Release)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(build out)
  run(text ${ARGN} COMMAND ${CMAKE_COMMAND} --build ${bin} --config Debug)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(expect_text db text)
  run(got COMMAND ${TOOL} get ${db} GREETING)
  expect_in("${got}" "${text}")
endfunction()

write_catalog(${src}/en.csv en Hello)
write_catalog(${src}/fr.csv fr Bonjour)

if(CASE STREQUAL "SameFileName")
  # Two translations named alike in folders of their own would both be
  # game.skdb: refused before anything is built, whichever way the names
  # match (Localizer::load ignores case and takes '_' for '-').
  write_catalog(${src}/po/fr/game.csv fr Bonjour)
  write_catalog(${src}/po/de/game.csv de Hallo)
  foreach(pair IN ITEMS "po/fr/game.csv po/de/game.csv" "fr.csv po/FR.csv"
                        "po/fr_CA.csv po/fr-CA.csv")
    string(REPLACE " " ";" files "${pair}")
    foreach(f IN LISTS files)
      if(NOT EXISTS ${src}/${f})
        write_catalog(${src}/${f} fr Bonjour)
      endif()
    endforeach()
    write_project("phrasor_add_catalogs(game SOURCE en.csv TRANSLATIONS ${pair})")
    configure(text EXPECT_FAILURE)
    list(GET files 1 second)
    expect_in("${text}" "${second}")
    expect_in("${text}" "both give")
    string(FIND "${text}" "Attempt to add a custom rule" raw)
    if(NOT raw EQUAL -1)
      fail("CMake's own complaint instead of ours:\n${text}")
    endif()
    file(REMOVE_RECURSE ${bin})
  endforeach()
  # Each language taken from its folder: po/fr/game.csv is fr.skdb. A
  # gettext tree's LC_MESSAGES folder is passed over.
  write_catalog(${src}/locale/it/LC_MESSAGES/game.csv it Ciao)
  write_project("phrasor_add_catalogs(game SOURCE en.csv
    TRANSLATIONS po/fr/game.csv po/de/game.csv locale/it/LC_MESSAGES/game.csv
    LANGUAGE_FROM_DIRECTORY)")
  configure(text)
  build(text)
  expect_text(${bin}/en.skdb "Hello")
  expect_text(${bin}/fr.skdb "Bonjour")
  expect_text(${bin}/de.skdb "Hallo")
  expect_text(${bin}/it.skdb "Ciao")

elseif(CASE STREQUAL "TwoSets")
  # Two sets of catalogs for one program, each with its own header,
  # namespace and directory.
  write_catalog(${src}/menu/en.csv en Welcome)
  write_project("phrasor_add_catalogs(game SOURCE en.csv TRANSLATIONS fr.csv
  HEADER game/msg.h NO_INSTALL)
phrasor_add_catalogs(game SOURCE menu/en.csv HEADER game/menu.h
  NAMESPACE menu OUTPUT_DIRECTORY \${CMAKE_BINARY_DIR}/menu NO_INSTALL)"
    HEADERS game/msg.h game/menu.h)
  configure(text)
  build(text)
  expect_text(${bin}/en.skdb "Hello")
  expect_text(${bin}/fr.skdb "Bonjour")
  expect_text(${bin}/menu/en.skdb "Welcome")
  # What two sets cannot share is refused by name.
  file(REMOVE_RECURSE ${bin})
  write_project("phrasor_add_catalogs(game SOURCE en.csv HEADER game/msg.h)
phrasor_add_catalogs(game SOURCE menu/en.csv HEADER game/msg.h
  OUTPUT_DIRECTORY \${CMAKE_BINARY_DIR}/menu)")
  configure(text EXPECT_FAILURE)
  expect_in("${text}" "game/msg.h")
  expect_in("${text}" "already")
  write_project("phrasor_add_catalogs(game SOURCE en.csv)
phrasor_add_catalogs(game SOURCE menu/en.csv)")
  configure(text EXPECT_FAILURE)
  expect_in("${text}" "menu/en.csv")
  expect_in("${text}" "both give")

elseif(CASE STREQUAL "DeletedHeader")
  # A header deleted from the build tree is written again by the next
  # build, and a build with nothing to do leaves it alone.
  write_project("phrasor_add_catalogs(game SOURCE en.csv HEADER game/msg.h)"
    HEADERS game/msg.h)
  configure(text)
  build(text)
  file(GLOB_RECURSE header ${bin}/*.h)
  list(FILTER header INCLUDE REGEX "/game/msg\\.h$")
  expect_file("${header}")
  file(REMOVE ${header})
  build(text)
  expect_file("${header}")
  file(TIMESTAMP ${header} before "%s")
  execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
  build(text)
  file(TIMESTAMP ${header} after "%s")
  if(NOT before STREQUAL after)
    fail("a build with nothing to do rewrote the header")
  endif()

elseif(CASE STREQUAL "BesideTheExecutable")
  # The databases go where the executable does, wherever that is decided
  # (here after the call, per configuration under a multi-config
  # generator), stay in step with their sources there, and go with a
  # clean.
  write_project("phrasor_add_catalogs(game SOURCE en.csv TRANSLATIONS fr.csv)
set_target_properties(game PROPERTIES RUNTIME_OUTPUT_DIRECTORY
  \${CMAKE_BINARY_DIR}/out)")
  configure(text)
  build(text)
  file(GLOB_RECURSE exe ${bin}/out/game ${bin}/out/game.exe)
  if(NOT exe)
    fail("no executable under ${bin}/out")
  endif()
  get_filename_component(dir ${exe} DIRECTORY)
  expect_text(${dir}/en.skdb "Hello")
  expect_text(${dir}/fr.skdb "Bonjour")
  write_catalog(${src}/fr.csv fr Salut)
  file(REMOVE ${dir}/en.skdb)
  build(text)
  expect_text(${dir}/fr.skdb "Salut")
  expect_text(${dir}/en.skdb "Hello")
  run(text COMMAND ${CMAKE_COMMAND} --build ${bin} --config Debug
      --target clean)
  if(EXISTS ${dir}/fr.skdb)
    fail("clean left the copy beside the executable")
  endif()

elseif(CASE STREQUAL "ReadingOptions")
  # Sheets whose texts are in a column named otherwise: the check and the
  # header read them as the build does, both ways of writing the option.
  foreach(option IN ITEMS "--column=text" "--column text")
    file(WRITE ${src}/en.csv "id,text\n@locale,en\nGREETING,\"Hello, %1!s!!\"\n")
    file(WRITE ${src}/fr.csv "id,text\n@locale,fr\nGREETING,\"Salut, %1!s!!\"\n")
    write_project("phrasor_add_catalogs(game SOURCE en.csv TRANSLATIONS fr.csv
  HEADER game/msg.h BUILD_OPTIONS ${option})" HEADERS game/msg.h)
    configure(text)
    build(text)
    expect_text(${bin}/en.skdb "Hello")
    expect_text(${bin}/fr.skdb "Salut")
    file(REMOVE_RECURSE ${bin})
  endforeach()

elseif(CASE STREQUAL "MasterSheet")
  # One sheet, one database per language column; a translation whose insert
  # differs from the source column's fails the build.
  file(WRITE ${src}/text.tsv "key\ten\tde\tpl\nGREETING\tHello, %1!s!!\tHallo, %1!s!!\tCzesc, %1!s!!\n")
  write_project("phrasor_add_catalogs(game SHEET text.tsv SOURCE_LANGUAGE en
  HEADER game/msg.h)" HEADERS game/msg.h)
  configure(text)
  build(text)
  expect_text(${bin}/en.skdb "Hello")
  expect_text(${bin}/de.skdb "Hallo")
  expect_text(${bin}/pl.skdb "Cze")
  file(WRITE ${src}/text.tsv "key\ten\tde\tpl\nGREETING\tHello, %1!s!!\tHallo, %1!d!!\tCze, %1!s!!\n")
  run(text EXPECT_FAILURE COMMAND ${CMAKE_COMMAND} --build ${bin})
  expect_in("${text}" "text.tsv:2")

elseif(CASE STREQUAL "NoTool")
  # Without a tool, the message says how to name one.
  file(WRITE ${src}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(CatalogsCase LANGUAGES NONE)
include(\"${MODULE}\")
add_custom_target(game)
phrasor_add_catalogs(game SOURCE en.csv)
")
  find_program(make NAMES gmake make REQUIRED)
  set(ENV{PATH} "")
  run(text EXPECT_FAILURE COMMAND ${CMAKE_COMMAND} -S ${src} -B ${bin}
      -G "Unix Makefiles" -DCMAKE_MAKE_PROGRAM=${make} -Wno-dev)
  expect_in("${text}" "PHRASOR_EXECUTABLE")

else()
  fail("no such case")
endif()
file(REMOVE_RECURSE ${WORK})
