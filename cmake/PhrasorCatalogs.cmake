#===- PhrasorCatalogs.cmake - A host's string databases, built with it ---===#
#
#   phrasor_add_catalogs(<target>
#     SOURCE <file>                 the source language's catalog (en.csv)
#     [SOURCE_LANGUAGE <tag>]       the source's language (default: its file
#                                   name; for a gettext template, en)
#     [TRANSLATIONS <file>...]      one file per language (fr.po, de.json)
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
# that language. Each database depends only on its own file
# and, for a translation, the source: a translation is checked against the
# source before it is built, so an insert a translator retyped fails the
# build with the tool's file:line message. The header is rewritten only
# when the IDs or their inserts change, and its directory is added to
# <target>'s include path.
#
#===----------------------------------------------------------------------===#

include_guard(GLOBAL)
include(GNUInstallDirs)

function(phrasor_add_catalogs target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "NO_INSTALL"
    "SOURCE;SOURCE_LANGUAGE;HEADER;NAMESPACE;OUTPUT_DIRECTORY;DESTINATION"
    "TRANSLATIONS;BUILD_OPTIONS;CHECK_OPTIONS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR
      "phrasor_add_catalogs: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "phrasor_add_catalogs: no target '${target}'")
  endif()
  if(NOT arg_SOURCE)
    message(FATAL_ERROR "phrasor_add_catalogs: SOURCE is required")
  endif()
  if(NOT TARGET Phrasor::phrasor)
    # A build without the tools may still use one installed on the PATH.
    find_program(PHRASOR_TOOL phrasor)
    if(PHRASOR_TOOL)
      add_executable(Phrasor::phrasor IMPORTED GLOBAL)
      set_target_properties(Phrasor::phrasor PROPERTIES
        IMPORTED_LOCATION ${PHRASOR_TOOL})
    endif()
  endif()
  if(NOT TARGET Phrasor::phrasor)
    message(FATAL_ERROR "phrasor_add_catalogs: the phrasor tool is not part "
      "of this build or package (build PhrasorRuntime with its tools)")
  endif()
  if(NOT arg_NAMESPACE)
    set(arg_NAMESPACE msg)
  endif()
  if(NOT arg_DESTINATION)
    set(arg_DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()

  # Where the executable will be: its own output directory, the project's,
  # or the directory that defined it; with a multi-config generator, in the
  # configuration's subdirectory.
  set(out ${arg_OUTPUT_DIRECTORY})
  if(NOT out)
    get_target_property(out ${target} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT out)
      set(out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    endif()
    if(NOT out)
      get_target_property(out ${target} BINARY_DIR)
    endif()
    get_property(multi GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    if(multi)
      set(out ${out}/$<CONFIG>)
    endif()
  endif()

  get_filename_component(source ${arg_SOURCE} ABSOLUTE)
  set(tool $<TARGET_FILE:Phrasor::phrasor>)
  set(outputs)

  foreach(file IN LISTS arg_SOURCE arg_TRANSLATIONS)
    get_filename_component(path ${file} ABSOLUTE)
    get_filename_component(language ${file} NAME_WLE)
    get_filename_component(extension ${file} LAST_EXT)
    string(TOLOWER "${extension}" extension)
    set(check)
    set(locale)
    if(NOT path STREQUAL source)
      set(check COMMAND ${tool} check --quiet ${path} --against ${source}
        ${arg_CHECK_OPTIONS})
    elseif(arg_SOURCE_LANGUAGE)
      set(language ${arg_SOURCE_LANGUAGE})
      if(extension STREQUAL ".pot")
        set(locale --locale ${language})
      endif()
    elseif(extension STREQUAL ".pot")
      set(language en) # the tool reads a template as English
    endif()
    set(db ${out}/${language}.skdb)
    add_custom_command(OUTPUT ${db}
      ${check}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
      COMMAND ${tool} build ${path} -o ${db} ${locale} ${arg_BUILD_OPTIONS}
      DEPENDS ${path} ${source} Phrasor::phrasor
      COMMENT "Building ${language}.skdb"
      VERBATIM)
    list(APPEND outputs ${db})
    if(NOT arg_NO_INSTALL)
      install(FILES ${db} DESTINATION ${arg_DESTINATION})
    endif()
  endforeach()

  if(arg_HEADER)
    set(include ${CMAKE_CURRENT_BINARY_DIR}/${target}_phrasor/include)
    set(header ${include}/${arg_HEADER})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_phrasor/header.stamp)
    get_filename_component(headerDir ${header} DIRECTORY)
    # The stamp is what the build tracks; the header keeps its time when
    # its text is unchanged, so its includers are not rebuilt.
    add_custom_command(OUTPUT ${stamp}
      BYPRODUCTS ${header}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${headerDir}
      COMMAND ${tool} header ${source} -o ${header}
        --namespace ${arg_NAMESPACE}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${source} Phrasor::phrasor
      COMMENT "Writing ${arg_HEADER}"
      VERBATIM)
    list(APPEND outputs ${stamp})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_include_directories(${target} PRIVATE $<BUILD_INTERFACE:${include}>)
    else()
      target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${include}>)
    endif()
  endif()

  add_custom_target(${target}_catalogs ALL DEPENDS ${outputs})
  add_dependencies(${target} ${target}_catalogs)
endfunction()
