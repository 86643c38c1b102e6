# Tests of the single-instance guard: the block, the key and the frame on
# their own, a primary inside the test process, and real installer processes
# built from a small helper program.
set(single_instance_tests ${CMAKE_CURRENT_SOURCE_DIR}/single_instance)

installer_add_test(tst_instance_block
    SOURCES ${single_instance_tests}/tst_instance_block.cpp
    LIBS installer_single_instance)
installer_add_test(tst_instance_key
    SOURCES ${single_instance_tests}/tst_instance_key.cpp
    LIBS installer_single_instance)
installer_add_test(tst_connection_frame
    SOURCES ${single_instance_tests}/tst_connection_frame.cpp
            ${single_instance_tests}/byte_feed.cpp
            ${single_instance_tests}/byte_feed.h
    LIBS installer_single_instance)
installer_add_test(tst_single_application
    SOURCES ${single_instance_tests}/tst_single_application.cpp
    LIBS installer_single_instance)

add_executable(single_instance_helper ${single_instance_tests}/instance_helper.cpp)
set_target_properties(single_instance_helper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${INSTALLER_TEST_DIR})
target_link_libraries(single_instance_helper PRIVATE installer_single_instance)

installer_add_test(tst_single_instance_processes
    SOURCES ${single_instance_tests}/tst_single_instance_processes.cpp
    LIBS installer_single_instance
    ENVIRONMENT SINGLE_INSTANCE_HELPER=$<TARGET_FILE:single_instance_helper>)
add_dependencies(tst_single_instance_processes single_instance_helper)

# The fuzz target for the primary's frame reading, built with clang and
# libFuzzer as a project of its own; CTest runs it over the committed seeds
# plus a bounded number of mutations (new finds go to the build folder).
find_program(FUZZ_CLANGXX NAMES clang++ clang++-14)
if(INSTALLER_FUZZ AND FUZZ_CLANGXX AND NOT CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(fuzz_build ${CMAKE_BINARY_DIR}/fuzz)
    ExternalProject_Add(single_instance_fuzz
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
        BINARY_DIR ${fuzz_build}
        CMAKE_ARGS
            -DCMAKE_CXX_COMPILER=${FUZZ_CLANGXX}
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
            -DINSTALLER_SOURCE_DIR=${CMAKE_SOURCE_DIR}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON)
    add_test(NAME fuzz_frame_reader
        COMMAND sh -c "mkdir -p \"$1\" && exec \"$0\" -seed=1 -runs=20000 -max_len=4096 -artifact_prefix=\"$1/\" \"$1\" \"$2\""
                ${fuzz_build}/fuzz_frame_reader ${fuzz_build}/found
                ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/frame_reader)
    set_tests_properties(fuzz_frame_reader PROPERTIES TIMEOUT 600)
else()
    message(STATUS "Fuzz targets: off (needs clang++ and INSTALLER_FUZZ)")
endif()
