# The install engine: platform helpers, package download, extraction and copy.

# A program for the process tests to find and end; copied under other names.
add_executable(engine_test_sleeper engine/engine_test_sleeper.cpp)
set_target_properties(engine_test_sleeper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${INSTALLER_TEST_DIR})

installer_add_test(tst_platform_helpers
    SOURCES engine/tst_platform_helpers.cpp
    LIBS installer_engine)
target_compile_definitions(tst_platform_helpers PRIVATE
    ENGINE_TEST_SLEEPER="$<TARGET_FILE:engine_test_sleeper>")
add_dependencies(tst_platform_helpers engine_test_sleeper)

installer_add_test(tst_download_task
    SOURCES engine/tst_download_task.cpp
    LIBS installer_engine)

installer_add_test(tst_unzip_worker
    SOURCES engine/tst_unzip_worker.cpp
    LIBS installer_engine)

# Hashes and minisign signatures of the package (signed by Debian's minisign),
# and resuming an interrupted download, all without a network.
installer_add_test(tst_package_trust
    SOURCES engine/tst_package_trust.cpp
    LIBS installer_engine)

installer_add_test(tst_range_resume
    SOURCES engine/tst_range_resume.cpp
    LIBS installer_engine)

installer_add_test(tst_archive_index
    SOURCES engine/tst_archive_index.cpp
    LIBS installer_engine)

# Runs one installation with a journal in a process of its own, so that a
# test can kill it during placement and start the recovery afterwards.
add_executable(engine_test_installer engine/engine_test_installer.cpp)
target_link_libraries(engine_test_installer PRIVATE installer_engine)
set_target_properties(engine_test_installer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${INSTALLER_TEST_DIR})

installer_add_test(tst_safe_install
    SOURCES engine/tst_safe_install.cpp
    LIBS installer_engine)
if(TARGET tst_safe_install)
    target_compile_definitions(tst_safe_install PRIVATE
        ENGINE_TEST_INSTALLER="$<TARGET_FILE:engine_test_installer>")
    add_dependencies(tst_safe_install engine_test_installer)
endif()
