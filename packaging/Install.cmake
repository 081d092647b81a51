# What `cmake --install` puts where, and the packages CPack builds from it: a .deb here, an NSIS installer
# and a ZIP on Windows.

install(TARGETS nibwright nibwright-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The user guide: "HomePage..." and the About box's link open it from beside the installed program. The
# build folder holds a copy at the same place relative to ui/, so a program run from the build finds it too.
set(NIB_GUIDE_FILES guide.html screenshot-big.png screenshot-small.png)
cmake_path(GET NIB_GUIDE_FROM_BINDIR PARENT_PATH NIB_GUIDE_DIR_FROM_BINDIR)
cmake_path(ABSOLUTE_PATH NIB_GUIDE_DIR_FROM_BINDIR BASE_DIRECTORY ${PROJECT_BINARY_DIR}/ui NORMALIZE
           OUTPUT_VARIABLE NIB_BUILD_GUIDE_DIR)
foreach(file ${NIB_GUIDE_FILES})
  configure_file(${PROJECT_SOURCE_DIR}/docs/${file} ${NIB_BUILD_GUIDE_DIR}/${file} COPYONLY)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/${file} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endforeach()

if(WIN32)
  # The Qt libraries and plugins beside the program, and the DLLs of the other libraries it links.
  find_program(NIB_WINDEPLOYQT windeployqt HINTS "${Qt6_DIR}/../../../bin" "${QT6_INSTALL_PREFIX}/bin")
  if(NIB_WINDEPLOYQT)
    install(CODE "execute_process(COMMAND \"${NIB_WINDEPLOYQT}\" --no-translations --no-compiler-runtime
                    \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/nibwright.exe\" COMMAND_ERROR_IS_FATAL ANY)")
  else()
    message(WARNING "windeployqt not found: the installed program will lack the Qt libraries")
  endif()
  install(FILES $<TARGET_RUNTIME_DLLS:nibwright> $<TARGET_RUNTIME_DLLS:nibwright-cli>
          DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  # A desktop program: the menu entry, the icon at the theme's sizes, and the manual page of the CLI.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/nibwright.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/nibwright-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME nibwright.png)
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/nibwright-cli.1.in ${PROJECT_BINARY_DIR}/nibwright-cli.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/nibwright-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME nibwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Nibwright)
set(CPACK_PACKAGE_CONTACT "Nibwright developers <nibwright@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Nibwright)
set(CPACK_PACKAGE_EXECUTABLES nibwright Nibwright)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/nibwright.ico)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # The library packages the programs need, worked out from the binaries.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
