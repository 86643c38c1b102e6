# The demo product, its uninstaller and the publisher's packaging helper.
set(VELMAR_TEST_ENVIRONMENT VELMAR_PACKAGE_DIR=${CMAKE_BINARY_DIR}/demo/package)

installer_add_test(tst_make_package SOURCES demo/tst_make_package.cpp LIBS installer_engine)

installer_add_test(tst_velmar SOURCES demo/tst_velmar.cpp LIBS velmar_lib
    ENVIRONMENT ${VELMAR_TEST_ENVIRONMENT})
if(TARGET tst_velmar)
    add_dependencies(tst_velmar velmar)
endif()

installer_add_test(tst_velmar_uninstaller SOURCES demo/tst_velmar_uninstaller.cpp
    ENVIRONMENT ${VELMAR_TEST_ENVIRONMENT})
if(TARGET tst_velmar_uninstaller)
    add_dependencies(tst_velmar_uninstaller velmar)
endif()
