# A Windows build made on Linux: the programs the build runs must be the
# build machine's. The cross-built Qt brings its own build-machine moc and rcc;
# lrelease and lupdate (Qt's tools package, not part of qtbase) come from the
# build machine's Qt.
foreach(tool lrelease lupdate)
    find_program(INSTALLER_HOST_${tool} ${tool}
        PATHS /usr/lib/qt5/bin /usr/lib/x86_64-linux-gnu/qt5/bin
        NO_CMAKE_FIND_ROOT_PATH)
    if(NOT INSTALLER_HOST_${tool})
        message(FATAL_ERROR "The build machine's ${tool} is missing (qttools5-dev-tools)")
    endif()
    add_executable(Qt5::${tool} IMPORTED)
    set_target_properties(Qt5::${tool} PROPERTIES IMPORTED_LOCATION ${INSTALLER_HOST_${tool}})
endforeach()

# One self-contained executable: the C and C++ runtimes and winpthread linked
# in, and zlib from its static library rather than zlib1.dll.
add_link_options(-static)
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a CACHE FILEPATH "zlib, static" FORCE)
set(ZLIB_INCLUDE_DIR /usr/x86_64-w64-mingw32/include CACHE PATH "zlib headers" FORCE)

# What ships is stripped; the symbols stay in the object files of the build.
add_link_options($<$<CONFIG:Release>:-s>)

# Small as well: the cross-built Qt is compiled for size with a section per
# function and datum, and so is the program, so that the link drops whatever
# nothing calls.
add_compile_options($<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
