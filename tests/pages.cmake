# The wizard pages, driven in-process through the real main window: the start
# page's checks, whole installations against a local HTTP server, and the
# result pages. They run with a temporary home and temporary folders.

# Stands in for the installed product: records the folder it was started in,
# or waits so that a test has a running copy of the product to end.
add_executable(pages_fake_product pages/fake_product.cpp)
set_target_properties(pages_fake_product PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${INSTALLER_TEST_DIR})

foreach(page_test tst_starting_widget tst_install_flow tst_result_pages)
    installer_add_test(${page_test}
        SOURCES pages/${page_test}.cpp pages/wizard_harness.h
        LIBS installer_wizard
        ENVIRONMENT FAKE_PRODUCT=$<TARGET_FILE:pages_fake_product>)
    if(TARGET ${page_test})
        add_dependencies(${page_test} pages_fake_product)
    endif()
endforeach()
