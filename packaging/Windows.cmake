# The Windows copy: one folder holding both programs, the Qt and compiler runtime DLLs and the plugins Qt
# loads, and the user guide in doc\. The ZIP is that folder as it is (portable: it keeps Nibwright.ini and
# Backup beside itself); the installer puts it under Program Files and marks it as an installed copy, which
# keeps its files in %APPDATA%\Nibwright\ instead.

# The Qt DLLs the programs link (Qt6Core, Qt6Gui, Qt6Widgets) and any other DLL of an imported library.
install(FILES $<TARGET_RUNTIME_DLLS:nibwright> $<TARGET_RUNTIME_DLLS:nibwright-cli>
        DESTINATION ${CMAKE_INSTALL_BINDIR})

# The plugins Qt loads at run time from the program's folder: the windows platform and the Windows styles.
foreach(plugin QWindowsIntegrationPlugin QWindowsVistaStylePlugin)
  if(TARGET Qt6::${plugin})
    get_target_property(nib_plugin_type Qt6::${plugin} QT_PLUGIN_TYPE)
    install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${nib_plugin_type})
  else()
    message(WARNING "Qt plugin ${plugin} not found: the installed program will lack it")
  endif()
endforeach()

# The compiler's runtime DLLs, which a MinGW build links dynamically.
if(MINGW)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE nib_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${nib_dll}" AND EXISTS "${nib_dll}")
      install(FILES ${nib_dll} DESTINATION ${CMAKE_INSTALL_BINDIR})
    else()
      message(WARNING "${dll} not found beside ${CMAKE_CXX_COMPILER}: the installed program will lack it")
    endif()
  endforeach()
endif()

# The installed-copy marker's folder (NIB_INSTALLED_MARKER, where the program looks for it), relative to the
# install folder with Windows separators (NSIS paths).
get_filename_component(NIB_INSTALLED_MARKER_DIR "${NIB_INSTALLED_MARKER}" DIRECTORY)
string(REPLACE "/" "\\\\" NIB_INSTALLED_MARKER_DIR_NSIS "${NIB_INSTALLED_MARKER_DIR}")

# The two packages: Nibwright-VERSION-win64.zip and Nibwright-VERSION-win64-setup.exe.
macro(nib_windows_cpack_settings)
  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Nibwright-${PROJECT_VERSION}-win64")
  # The installer's name differs from the ZIP's only by its suffix; CPack reads this file per generator.
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/WindowsPackageNames.cmake)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/nibwright.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/nibwright.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME nibwright.exe)
  set(CPACK_NSIS_DISPLAY_NAME Nibwright)
  set(CPACK_NSIS_PACKAGE_NAME Nibwright)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # The Start-menu entry (from CPACK_PACKAGE_EXECUTABLES) points at the program in the install folder.
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_NSIS_MODIFY_PATH OFF)
  # A 64-bit installer for 64-bit programs (NSIS builds a 32-bit one unless told otherwise).
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  # Only the installer marks its copy as installed; the ZIP carries no marker and stays portable. The
  # uninstaller removes the marker, the folders it made and the Start-menu entry with the programs.
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
    CreateDirectory '$INSTDIR\\\\${NIB_INSTALLED_MARKER_DIR_NSIS}'
    FileOpen $0 '$INSTDIR\\\\${NIB_INSTALLED_MARKER_DIR_NSIS}\\\\installed' w
    FileClose $0")
  set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
    Delete '$INSTDIR\\\\${NIB_INSTALLED_MARKER_DIR_NSIS}\\\\installed'
    RMDir '$INSTDIR\\\\${NIB_INSTALLED_MARKER_DIR_NSIS}'
    RMDir '$INSTDIR\\\\${CMAKE_INSTALL_DATADIR}'")
endmacro()
