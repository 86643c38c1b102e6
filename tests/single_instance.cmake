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
