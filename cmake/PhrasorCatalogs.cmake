#===- PhrasorCatalogs.cmake - A host's string databases, built with it ---===#
#
#   phrasor_add_catalogs(<target>
#     SOURCE <file>                 the source language's catalog (en.csv)
#     [SOURCE_LANGUAGE <tag>]       the source's language (default: its file
#                                   name; for a gettext template, en)
#     [TRANSLATIONS <file>...]      one file per language (fr.po, de.json)
#     [SHEET <file>]                instead of SOURCE and TRANSLATIONS: a
#                                   master sheet (key,en,de,pl... as CSV or
#                                   TSV), one database per language column;
#                                   SOURCE_LANGUAGE names the source column
#     [LANGUAGES <tag>...]          with SHEET, the columns to build
#                                   (default: every column of its header
#                                   row named as a language)
#     [LANGUAGE_FROM_DIRECTORY]     a translation's language is its folder's
#                                   name (po/fr/game.po is fr)
#     [HEADER <name>]               write a typed header, such as game/msg.h
#     [NAMESPACE <ns>]              its namespace (default msg)
#     [OUTPUT_DIRECTORY <dir>]      where the databases are built (default:
#                                   beside <target>'s executable)
#     [DESTINATION <dir>]           where they are installed (default: bin)
#     [NO_INSTALL]                  do not install them
#     [BUILD_OPTIONS <arg>...]      more arguments of 'phrasor build'
#     [CHECK_OPTIONS <arg>...])     more arguments of 'phrasor check'
#
# Each file becomes <language>.skdb, the language being the file's name
# without its extension (fr-CA.po gives fr-CA.skdb), the names
# Localizer::load looks for. A template (game.pot) holds the source texts
# under no language's name: it becomes <SOURCE_LANGUAGE>.skdb, built in
# that language. Two files that would give one database are refused here,
# before a build could lose one. Each database depends only on its own file
# and, for a translation, the source: a translation is checked against the
# source before it is built, so an insert a translator retyped fails the
# build with the tool's file:line message. The build options that say how
# a file is read (--po-key, --input-format, --column, --delimiter,
# --syntax, --fill-empty, --include-fuzzy) go to the check and the header too, so all
# three see the same IDs. The header is rewritten only when the IDs or their
# inserts change, and its directory is added to <target>'s include path.
# A target may have several sets, each with its own header and databases.
# A SHEET's columns are each built as 'phrasor build --column' builds one,
# and each translation column is checked against the source column; a
# change to the sheet's header row configures the project again.
#
# The tool runs on the build machine: PHRASOR_EXECUTABLE when it is set (a
# cross build names the build machine's phrasor so), else Phrasor::phrasor
# (this build's, or the package's), else a phrasor on the PATH. On Windows
# the runtime DLLs an executable needs are copied beside it as well.
#
#===----------------------------------------------------------------------===#

# Run as a script, this is a build step of the header (see below).
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT EXISTS "${PHRASOR_HEADER}")
    file(REMOVE "${PHRASOR_STAMP}")
  endif()
  return()
endif()

include_guard(GLOBAL)
include(GNUInstallDirs)

# The phrasor tool as a command word, and what a step that runs it depends
# on: the tool's file or its target.
function(_phrasor_catalogs_tool command depends)
  if(NOT PHRASOR_EXECUTABLE AND NOT TARGET Phrasor::phrasor)
    find_program(PHRASOR_EXECUTABLE phrasor
      DOC "The phrasor tool phrasor_add_catalogs runs on the build machine")
  endif()
  if(PHRASOR_EXECUTABLE)
    if(NOT EXISTS "${PHRASOR_EXECUTABLE}")
      message(FATAL_ERROR "phrasor_add_catalogs: PHRASOR_EXECUTABLE "
        "'${PHRASOR_EXECUTABLE}' does not exist")
    endif()
    set(${command} ${PHRASOR_EXECUTABLE} PARENT_SCOPE)
    set(${depends} ${PHRASOR_EXECUTABLE} PARENT_SCOPE)
  elseif(TARGET Phrasor::phrasor)
    # By its name, so that a cross build's own tool runs under its
    # emulator.
    set(${command} Phrasor::phrasor PARENT_SCOPE)
    set(${depends} Phrasor::phrasor PARENT_SCOPE)
  else()
    message(FATAL_ERROR "phrasor_add_catalogs: no phrasor tool: it is not "
      "part of this build or package, nor on the PATH. Set "
      "PHRASOR_EXECUTABLE to a phrasor that runs on this machine (as a "
      "cross build must), or build PhrasorRuntime with its tools")
  endif()
endfunction()

# The options of \p words (phrasor build's) that say how a file is read,
# leaving out those named in \p taken. With AGAINST, a --column is given
# for the --against source too, which phrasor check reads by its own.
function(_phrasor_reading_options out words taken)
  cmake_parse_arguments(PARSE_ARGV 3 opt "AGAINST" "" "")
  set(valued --po-key --input-format --column --delimiter --syntax)
  set(flags --fill-empty --include-fuzzy)
  set(reading)
  set(value OFF)
  set(against OFF)
  foreach(word IN LISTS words)
    if(value)
      list(APPEND reading ${word})
      if(against)
        list(APPEND reading --against-column ${word})
      endif()
      set(value OFF)
      continue()
    endif()
    string(REGEX REPLACE "=.*" "" name "${word}")
    if(name IN_LIST taken OR NOT (name IN_LIST valued OR name IN_LIST flags))
      continue()
    endif()
    set(against OFF)
    if(opt_AGAINST AND name STREQUAL "--column" AND
       NOT "--against-column" IN_LIST taken)
      set(against ON)
    endif()
    list(APPEND reading ${word})
    if(name IN_LIST valued AND word STREQUAL name)
      set(value ON)
    elseif(against)
      string(REGEX REPLACE "^[^=]*=" "" column "${word}")
      list(APPEND reading --against-column ${column})
    endif()
  endforeach()
  set(${out} ${reading} PARENT_SCOPE)
endfunction()

# The option names among \p words.
function(_phrasor_option_names out words)
  set(names)
  foreach(word IN LISTS words)
    if(word MATCHES "^(--?[^=]+)")
      list(APPEND names ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# The language a translation's folder names: po/fr/game.po is fr, and a
# gettext tree's locale/fr/LC_MESSAGES/game.po is fr too.
function(_phrasor_folder_language out path)
  get_filename_component(dir ${path} DIRECTORY)
  get_filename_component(name ${dir} NAME)
  if(name STREQUAL "LC_MESSAGES")
    get_filename_component(dir ${dir} DIRECTORY)
    get_filename_component(name ${dir} NAME)
  endif()
  if(NOT name MATCHES "^[A-Za-z0-9]+([_-][A-Za-z0-9]+)*$")
    message(FATAL_ERROR "phrasor_add_catalogs: ${path}: its folder "
      "'${name}' names no language (LANGUAGE_FROM_DIRECTORY)")
  endif()
  set(${out} ${name} PARENT_SCOPE)
endfunction()

# The language columns of a sheet's header row: the cells named like a
# language tag (en, pt-BR, sr_Latn), other than the columns the tool reads
# otherwise. The separator is a tab in .tsv and .txt files, else the first
# of ',', ';' and tab on the row, as the tool finds it.
function(_phrasor_sheet_languages out sheet)
  file(READ ${sheet} head LIMIT 65536)
  string(REGEX REPLACE "^sep=[^\r\n]*\r?\n" "" head "${head}")
  string(REGEX MATCH "^[^\r\n]*" row "${head}")
  get_filename_component(extension ${sheet} LAST_EXT)
  string(TOLOWER "${extension}" extension)
  if(extension MATCHES "^\\.(tsv|txt)$")
    set(delimiter "\t")
  else()
    string(REGEX MATCH "[,;\t]" delimiter "${row}")
  endif()
  string(REPLACE ";" "," row "${row}")
  if(delimiter STREQUAL ";")
    set(delimiter ",")
  endif()
  set(languages)
  if(delimiter)
    string(REPLACE "${delimiter}" ";" cells "${row}")
  else()
    set(cells "${row}")
  endif()
  foreach(cell IN LISTS cells)
    string(REPLACE "\"" "" cell "${cell}")
    string(STRIP "${cell}" cell)
    string(TOLOWER "${cell}" lower)
    if(cell MATCHES "^[A-Za-z][A-Za-z][A-Za-z]?([_-][A-Za-z0-9]+)*$" AND
       NOT lower MATCHES "^(id|key|value|voice|kind|max)$")
      list(APPEND languages ${cell})
    endif()
  endforeach()
  if(NOT languages)
    message(FATAL_ERROR "phrasor_add_catalogs: ${sheet}: its header row "
      "names no language column (key,en,de,pl...)")
  endif()
  set(${out} ${languages} PARENT_SCOPE)
endfunction()

# Records that \p file gives the database \p name in the place \p where,
# and refuses a second file that would give the same one: Localizer::load
# matches names ignoring case and with '_' and '-' alike, so fr_CA and
# fr-ca are one language.
function(_phrasor_claim_database where name file how)
  string(TOLOWER "${name}" key)
  string(REPLACE "_" "-" key "${key}")
  set(property "PHRASOR_DATABASE ${where}/${key}")
  get_property(first GLOBAL PROPERTY "${property}")
  if(first)
    message(FATAL_ERROR "phrasor_add_catalogs: ${first} and ${file} both "
      "give ${name}.skdb ${how}; one would be lost. Name each file by its "
      "language (fr.po, de.po), add LANGUAGE_FROM_DIRECTORY to take each "
      "translation's language from its folder (po/fr/game.po), or give "
      "each set of catalogs its own OUTPUT_DIRECTORY")
  endif()
  set_property(GLOBAL PROPERTY "${property}" "${file}")
endfunction()

# The build step of <language>.skdb from \p path, read with the options
# after it: the caller's \p check (a COMMAND, or nothing) first. A macro, so
# that the set's outputs and databases grow in the caller's scope.
macro(_phrasor_add_database language path)
  set(db ${out}/${language}.skdb)
  add_custom_command(OUTPUT ${db}
    ${check}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${tool} build ${path} -o ${db} ${ARGN} ${arg_BUILD_OPTIONS}
    DEPENDS ${path} ${source} ${toolDepends}
    COMMENT "Building ${language}.skdb"
    VERBATIM)
  list(APPEND outputs ${db})
  list(APPEND databases ${db})
  if(NOT arg_NO_INSTALL)
    install(FILES ${db} DESTINATION ${arg_DESTINATION})
  endif()
endmacro()

function(phrasor_add_catalogs target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_INSTALL;LANGUAGE_FROM_DIRECTORY"
    "SOURCE;SOURCE_LANGUAGE;HEADER;NAMESPACE;OUTPUT_DIRECTORY;DESTINATION;SHEET"
    "TRANSLATIONS;BUILD_OPTIONS;CHECK_OPTIONS;LANGUAGES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR
      "phrasor_add_catalogs: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "phrasor_add_catalogs: no target '${target}'")
  endif()
  if(arg_SHEET AND (arg_SOURCE OR arg_TRANSLATIONS))
    message(FATAL_ERROR "phrasor_add_catalogs: SHEET holds the source and "
      "every translation; give SOURCE and TRANSLATIONS, or SHEET")
  elseif(arg_SHEET AND NOT arg_SOURCE_LANGUAGE)
    message(FATAL_ERROR "phrasor_add_catalogs: SHEET needs SOURCE_LANGUAGE, "
      "the column of the source texts")
  elseif(NOT arg_SHEET AND NOT arg_SOURCE)
    message(FATAL_ERROR "phrasor_add_catalogs: SOURCE is required")
  endif()
  _phrasor_catalogs_tool(tool toolDepends)
  if(NOT arg_NAMESPACE)
    set(arg_NAMESPACE msg)
  endif()
  if(NOT arg_DESTINATION)
    set(arg_DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()

  # The first set of a target keeps the plain names; later ones are
  # numbered.
  get_property(sets TARGET ${target} PROPERTY PHRASOR_CATALOG_SETS)
  if(NOT sets)
    set(sets 0)
  endif()
  math(EXPR sets "${sets} + 1")
  set_property(TARGET ${target} PROPERTY PHRASOR_CATALOG_SETS ${sets})
  set(name ${target}_catalogs)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${target}_phrasor)
  if(sets GREATER 1)
    set(name ${name}_${sets})
    set(work ${work}_${sets})
  endif()

  # Where the databases go. Where the executable lies is only known when
  # the build system is written (a property set later, a configuration's
  # own directory, a bundle), so they are built apart and copied beside
  # it by every build, which copies only what changed.
  get_target_property(type ${target} TYPE)
  set(deploy OFF)
  if(arg_OUTPUT_DIRECTORY)
    get_filename_component(out ${arg_OUTPUT_DIRECTORY} ABSOLUTE
      BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    set(where ${out})
    set(how "in ${out}")
  elseif(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
    set(deploy ON)
    set(out ${work}/skdb)
    set(where "target ${target}")
    set(how "beside ${target}")
  else()
    get_target_property(out ${target} BINARY_DIR)
    get_property(multi GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    if(multi)
      set(out ${out}/$<CONFIG>)
    endif()
    set(where ${out})
    set(how "in ${out}")
  endif()

  set(sourceColumn)
  if(arg_SHEET)
    get_filename_component(source ${arg_SHEET} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    if(NOT arg_LANGUAGES)
      _phrasor_sheet_languages(arg_LANGUAGES ${source})
    endif()
    if(NOT arg_SOURCE_LANGUAGE IN_LIST arg_LANGUAGES)
      message(FATAL_ERROR "phrasor_add_catalogs: ${arg_SHEET} has no source "
        "column '${arg_SOURCE_LANGUAGE}' among its languages "
        "(${arg_LANGUAGES})")
    endif()
    set(sourceColumn --column ${arg_SOURCE_LANGUAGE})
  else()
    get_filename_component(source ${arg_SOURCE} ABSOLUTE)
  endif()
  _phrasor_option_names(checkTaken "${arg_CHECK_OPTIONS}")
  _phrasor_reading_options(checkReading "${arg_BUILD_OPTIONS}"
    "${checkTaken}" AGAINST)
  _phrasor_reading_options(headerReading "${arg_BUILD_OPTIONS}" "")
  set(outputs)
  set(databases)

  foreach(language IN LISTS arg_LANGUAGES)
    if(NOT arg_SHEET)
      break()
    endif()
    set(check)
    if(NOT language STREQUAL arg_SOURCE_LANGUAGE)
      set(check COMMAND ${tool} check --quiet ${source} --column ${language}
        --against ${source} --against-column ${arg_SOURCE_LANGUAGE}
        ${arg_CHECK_OPTIONS})
    endif()
    _phrasor_claim_database("${where}" ${language}
      "${arg_SHEET} (column ${language})" "${how}")
    _phrasor_add_database(${language} ${source} --column ${language})
  endforeach()

  foreach(file IN LISTS arg_SOURCE arg_TRANSLATIONS)
    get_filename_component(path ${file} ABSOLUTE)
    get_filename_component(language ${file} NAME_WLE)
    get_filename_component(extension ${file} LAST_EXT)
    string(TOLOWER "${extension}" extension)
    set(check)
    set(locale)
    if(NOT path STREQUAL source)
      if(arg_LANGUAGE_FROM_DIRECTORY)
        _phrasor_folder_language(language ${path})
      endif()
      set(check COMMAND ${tool} check --quiet ${path} --against ${source}
        ${checkReading} ${arg_CHECK_OPTIONS})
    elseif(arg_SOURCE_LANGUAGE)
      set(language ${arg_SOURCE_LANGUAGE})
      if(extension STREQUAL ".pot")
        set(locale --locale ${language})
      endif()
    elseif(extension STREQUAL ".pot")
      set(language en) # the tool reads a template as English
    endif()
    _phrasor_claim_database("${where}" ${language} ${file} "${how}")
    _phrasor_add_database(${language} ${path} ${locale})
  endforeach()

  if(arg_HEADER)
    get_property(headers TARGET ${target} PROPERTY PHRASOR_CATALOG_HEADERS)
    if(arg_HEADER IN_LIST headers)
      message(FATAL_ERROR "phrasor_add_catalogs: ${target} already has a "
        "header ${arg_HEADER} from another set of catalogs; give each set a "
        "HEADER of its own")
    endif()
    set_property(TARGET ${target} APPEND PROPERTY PHRASOR_CATALOG_HEADERS
      ${arg_HEADER})
    set(include ${work}/include)
    set(header ${include}/${arg_HEADER})
    set(stamp ${work}/header.stamp)
    get_filename_component(headerDir ${header} DIRECTORY)
    # The stamp is what the build tracks; the header keeps its time when
    # its text is unchanged, so its includers are not rebuilt.
    add_custom_command(OUTPUT ${stamp}
      BYPRODUCTS ${header}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${headerDir}
      COMMAND ${tool} header ${source} -o ${header}
        --namespace ${arg_NAMESPACE} ${headerReading} ${sourceColumn}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${source} ${toolDepends}
      COMMENT "Writing ${arg_HEADER}"
      VERBATIM)
    list(APPEND outputs ${stamp})
    if(NOT CMAKE_GENERATOR MATCHES "Ninja")
      # Ninja writes a missing byproduct again; the other generators look
      # at the stamp only, so a step ahead of the set drops the stamp of a
      # header that is gone.
      add_custom_target(${name}_header_guard
        COMMAND ${CMAKE_COMMAND} -DPHRASOR_HEADER=${header}
          -DPHRASOR_STAMP=${stamp} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        VERBATIM)
    endif()
    if(type STREQUAL "EXECUTABLE")
      target_include_directories(${target} PRIVATE $<BUILD_INTERFACE:${include}>)
    elseif(NOT type STREQUAL "UTILITY")
      target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${include}>)
    endif()
  endif()

  set(copy)
  set(copies)
  if(deploy)
    set(beside $<TARGET_FILE_DIR:${target}>)
    set(copy
      COMMAND ${CMAKE_COMMAND} -E make_directory ${beside}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${databases} ${beside})
    foreach(db IN LISTS databases)
      get_filename_component(db ${db} NAME)
      list(APPEND copies ${beside}/${db})
    endforeach()
  endif()
  add_custom_target(${name} ALL ${copy} DEPENDS ${outputs} VERBATIM)
  set_property(TARGET ${name} APPEND PROPERTY ADDITIONAL_CLEAN_FILES ${copies})
  if(TARGET ${name}_header_guard)
    add_dependencies(${name} ${name}_header_guard)
  endif()
  add_dependencies(${target} ${name})

  # A Windows program finds its DLLs beside it: put the runtime's there.
  get_property(dlls TARGET ${target} PROPERTY PHRASOR_CATALOG_DLLS)
  if(type STREQUAL "EXECUTABLE" AND (WIN32 OR CYGWIN) AND NOT dlls)
    set_property(TARGET ${target} PROPERTY PHRASOR_CATALOG_DLLS ON)
    set(dlls $<TARGET_RUNTIME_DLLS:${target}>)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E
        $<IF:$<BOOL:${dlls}>,copy_if_different,true> ${dlls}
        $<$<BOOL:${dlls}>:$<TARGET_FILE_DIR:${target}>>
      COMMAND_EXPAND_LISTS VERBATIM)
  endif()
endfunction()
