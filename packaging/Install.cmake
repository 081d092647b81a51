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
  include(${CMAKE_CURRENT_LIST_DIR}/Windows.cmake)
else()
  # The installed marker: a copy that has it keeps its settings and backups in the per-user folder (the
  # Windows installer writes the same file itself, so that the ZIP made from these rules stays portable).
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/installed DESTINATION ${CMAKE_INSTALL_DATADIR}/nibwright)

  # A desktop program: the menu entry, its AppStream description for software centres, the icon at the
  # theme's sizes, and the manual pages.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/nibwright.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  set(NIB_APPSTREAM_ID example.c_seed_f08b1ccd.nibwright)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/nibwright.metainfo.xml
                 ${PROJECT_BINARY_DIR}/packaging/${NIB_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${NIB_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/nibwright-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME nibwright.png)
  endforeach()

  # The manual pages and the changelog go in compressed with gzip -9n (no name, no time stamp), as Debian's
  # policy asks; the copyright file in Debian's machine-readable form goes beside the user guide.
  find_program(NIB_GZIP gzip REQUIRED)
  function(nib_gzipped template output)
    configure_file(${template} ${PROJECT_BINARY_DIR}/packaging/${output} @ONLY)
    execute_process(COMMAND ${NIB_GZIP} -9nf ${PROJECT_BINARY_DIR}/packaging/${output} COMMAND_ERROR_IS_FATAL ANY)
  endfunction()
  foreach(page nibwright nibwright-cli)
    nib_gzipped(${PROJECT_SOURCE_DIR}/packaging/${page}.1.in ${page}.1)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  nib_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog.in changelog)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME nibwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Nibwright)
# The project's own author identity, as its commits carry it.
set(CPACK_PACKAGE_CONTACT "Seed f08b1ccd maintainers <maintainers@users.noreply.c-seed-f08b1ccd.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Nibwright)
set(CPACK_PACKAGE_EXECUTABLES nibwright Nibwright)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  nib_windows_cpack_settings()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # The extended description; CPack puts the summary line before it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The tablet driver keeps each pen's pressure curve (three control points and
two thresholds) in a preference file that its own panel shows little of.
Nibwright opens that file, draws the chosen pen's curve on a square graph,
lets you drag the points or type the numbers, and applies the change: it
keeps a dated backup, writes the file and restarts the driver's service.
Everything in the file that is not a changed curve or threshold is written
back as it was.

The package holds the window (nibwright), its user guide, and nibwright-cli,
which shows, sets, lists and restores the curves from a shell or a script.")
  # The library packages the programs need, worked out from the binaries.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
