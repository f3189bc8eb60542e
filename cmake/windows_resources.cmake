# Windows resources for a program: its icon, an application manifest (UTF-8
# active code page, long paths, the supported systems) and VERSIONINFO, all
# generated from the project's version. Include it from the folder that makes
# the program, then call
#   tarvel_add_windows_resources(TARGET DESCRIPTION "what it does" [MANIFEST_DEPENDENCIES xml]
#                                [MANIFEST_SETTINGS xml])
# (a window adds the common controls 6 dependency through MANIFEST_DEPENDENCIES
# and its DPI awareness through MANIFEST_SETTINGS: TARVEL_WINDOW_MANIFEST_*).
# Does nothing when not building for Windows.
if(WIN32)
  enable_language(RC)
endif()

# What a window program's manifest adds, for tarvel.exe and for the empty
# window its start-up is measured against (bench/).
set(TARVEL_WINDOW_MANIFEST_DEPENDENCIES [=[
  <!-- The themed controls of Common Controls 6. -->
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                        processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>]=])
set(TARVEL_WINDOW_MANIFEST_SETTINGS [=[
      <!-- Per-monitor DPI: the window lays itself out again when it moves to another monitor. -->
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>
      <dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>]=])

function(tarvel_add_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;MANIFEST_DEPENDENCIES;MANIFEST_SETTINGS" "")
  get_target_property(TARVEL_PROGRAM_NAME ${target} OUTPUT_NAME)
  if(NOT TARVEL_PROGRAM_NAME)
    set(TARVEL_PROGRAM_NAME ${target})
  endif()
  set(TARVEL_PROGRAM_DESCRIPTION "${arg_DESCRIPTION}")
  set(TARVEL_MANIFEST_DEPENDENCIES "${arg_MANIFEST_DEPENDENCIES}")
  set(TARVEL_MANIFEST_SETTINGS "${arg_MANIFEST_SETTINGS}")
  set(tweak "${PROJECT_VERSION_TWEAK}")
  if(tweak STREQUAL "")
    set(tweak 0)
  endif()
  set(TARVEL_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${tweak}")
  set(TARVEL_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${tweak}")
  set(TARVEL_ICON_FILE "${PROJECT_SOURCE_DIR}/ui/icons/tarvel.ico")

  set(folder "${CMAKE_CURRENT_BINARY_DIR}/${target}-resources")
  set(TARVEL_MANIFEST_FILE "${folder}/${TARVEL_PROGRAM_NAME}.manifest")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in ${TARVEL_MANIFEST_FILE} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${folder}/${TARVEL_PROGRAM_NAME}.rc @ONLY)
  target_sources(${target} PRIVATE ${folder}/${TARVEL_PROGRAM_NAME}.rc)
  # The resource compiler does not see what the .rc file pulls in.
  set_property(SOURCE ${folder}/${TARVEL_PROGRAM_NAME}.rc TARGET_DIRECTORY ${target} APPEND PROPERTY
               OBJECT_DEPENDS ${TARVEL_ICON_FILE} ${TARVEL_MANIFEST_FILE})
endfunction()
