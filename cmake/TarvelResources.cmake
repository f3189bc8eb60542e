# Resources from Visual Basic forms, made at build time by tarvel-rc. In a
# project that builds a Windows program (the RC language enabled):
#
#   find_package(Tarvel REQUIRED)   # or include(<this file>)
#   add_executable(app WIN32 main.c)
#   tarvel_add_resources(app FORMS Form1.frm [Form2.frm ...] [OPTIONS --dialog ...])
#
# For each form, tarvel-rc writes NAME.rc and its header NAME.h (the #define
# list, which NAME.rc includes) into ${CMAKE_CURRENT_BINARY_DIR}/app-forms/,
# with a dependency file: the build converts the form again when it or a .frx
# file it reads changes, and only then, and what follows the conversion is
# built again only when its bytes change. The RC files join the target's
# sources and the folder its include path, so the program says
# #include "Form1.h". OPTIONS go to tarvel-rc as they are; -o, --header,
# --masm and --depfile are this function's, and --no-define would leave no
# header. The tarvel-rc that runs is TARVEL_RC_EXECUTABLE, found on the PATH
# (and beside this file's installed place) unless the project sets it.
include_guard(GLOBAL)

if(CMAKE_VERSION VERSION_LESS 3.20)
  message(FATAL_ERROR "tarvel_add_resources needs CMake 3.20 or later (a DEPFILE for every generator)")
endif()

# A program of the build machine, also in a cross build whose toolchain finds only the target's files.
find_program(TARVEL_RC_EXECUTABLE tarvel-rc
  HINTS "${CMAKE_CURRENT_LIST_DIR}/../../../bin"
  NO_CMAKE_FIND_ROOT_PATH
  DOC "tarvel-rc, which converts the forms of tarvel_add_resources")

function(tarvel_add_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FORMS;OPTIONS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tarvel_add_resources: unknown arguments ${arg_UNPARSED_ARGUMENTS} (FORMS and OPTIONS are known)")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "tarvel_add_resources: ${target} is no target of this project")
  endif()
  if(NOT arg_FORMS)
    message(FATAL_ERROR "tarvel_add_resources(${target}): no FORMS given")
  endif()
  foreach(option IN LISTS arg_OPTIONS)
    if(option MATCHES "^(-o|--output|--header|--masm|--depfile|--no-define)(=.*)?$")
      message(FATAL_ERROR "tarvel_add_resources(${target}): OPTIONS may not hold ${option}: the function names "
                          "the RC file, its header and its dependency file itself")
    endif()
  endforeach()
  if(NOT TARVEL_RC_EXECUTABLE)
    message(FATAL_ERROR "tarvel_add_resources: tarvel-rc not found; install Tarvel or set TARVEL_RC_EXECUTABLE")
  endif()
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if(NOT "RC" IN_LIST languages)
    message(FATAL_ERROR "tarvel_add_resources(${target}): the RC language is not enabled (project(... LANGUAGES C RC))")
  endif()

  # The paths in a dependency file are read from the current binary folder, where the command runs.
  cmake_policy(PUSH)
  cmake_policy(SET CMP0116 NEW)
  set(folder "${target}-forms")
  file(MAKE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/${folder}")
  set(names "")
  foreach(form IN LISTS arg_FORMS)
    cmake_path(ABSOLUTE_PATH form BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE OUTPUT_VARIABLE source)
    cmake_path(GET source STEM LAST_ONLY name)
    string(TOLOWER "${name}" key)
    if(key IN_LIST names)
      message(FATAL_ERROR "tarvel_add_resources(${target}): two forms named ${name} would write one ${name}.rc")
    endif()
    list(APPEND names "${key}")
    set(rc "${folder}/${name}.rc")
    set(header "${folder}/${name}.h")
    add_custom_command(
      OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/${rc}" "${CMAKE_CURRENT_BINARY_DIR}/${header}"
      COMMAND "${TARVEL_RC_EXECUTABLE}" ${arg_OPTIONS} --header "${header}" --depfile "${folder}/${name}.d" -o "${rc}"
              "${source}"
      MAIN_DEPENDENCY "${source}"
      DEPENDS "${TARVEL_RC_EXECUTABLE}"
      DEPFILE "${CMAKE_CURRENT_BINARY_DIR}/${folder}/${name}.d"
      WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
      COMMENT "Converting ${form} into ${name}.rc and ${name}.h"
      VERBATIM)
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/${rc}" "${CMAKE_CURRENT_BINARY_DIR}/${header}")
  endforeach()
  cmake_policy(POP)
  target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/${folder}")
endfunction()
