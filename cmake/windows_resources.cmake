enable_language(RC)

# installer_add_windows_resources(<target>): the version resource, the icon
# (the one the style resource draws) and the application manifest, compiled
# by windres into the executable.
function(installer_add_windows_resources target)
    set(INSTALLER_FILE_VERSION ${PROJECT_VERSION}.0)
    string(REPLACE "." "," INSTALLER_FILE_VERSION_COMMAS ${INSTALLER_FILE_VERSION})
    set(INSTALLER_ICON ${CMAKE_BINARY_DIR}/resources/style/installer.ico)
    set(INSTALLER_MANIFEST ${CMAKE_BINARY_DIR}/app/installer.manifest)
    configure_file(${CMAKE_SOURCE_DIR}/app/windows/installer.manifest ${INSTALLER_MANIFEST} @ONLY)
    set(rc ${CMAKE_BINARY_DIR}/app/installer.rc)
    configure_file(${CMAKE_SOURCE_DIR}/app/windows/installer.rc.in ${rc} @ONLY)
    # The icon is drawn during the build, so the resource waits for it.
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${INSTALLER_ICON};${INSTALLER_MANIFEST}")
    target_sources(${target} PRIVATE ${rc})
endfunction()
