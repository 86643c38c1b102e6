# Tests of the window toolkit (toolkit/).
installer_add_test(tst_frameless_decision SOURCES toolkit/tst_frameless_decision.cpp LIBS installer_toolkit)
installer_add_test(tst_toast_label SOURCES toolkit/tst_toast_label.cpp LIBS installer_toolkit)
installer_add_test(tst_push_button SOURCES toolkit/tst_push_button.cpp LIBS installer_toolkit)
installer_add_test(tst_system_bar SOURCES toolkit/tst_system_bar.cpp LIBS installer_toolkit)
installer_add_test(tst_frame SOURCES toolkit/tst_frame.cpp LIBS installer_toolkit)
# On Windows it also hit-tests a real native window.
if(WIN32)
    set(frameless_window_environment QT_QPA_PLATFORM=windows)
endif()
installer_add_test(tst_frameless_window SOURCES toolkit/tst_frameless_window.cpp LIBS installer_toolkit
    ENVIRONMENT ${frameless_window_environment})
installer_add_test(tst_message_box SOURCES toolkit/tst_message_box.cpp LIBS installer_toolkit)
installer_add_test(tst_elided_check_box SOURCES toolkit/tst_elided_check_box.cpp LIBS installer_toolkit)

# Not a test: shows the main window or a message box with the shipped style,
# for screenshots under Xvfb (see the comment at the top of the source).
add_executable(toolkit_preview toolkit/toolkit_preview.cpp)
set_target_properties(toolkit_preview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${INSTALLER_TEST_DIR})
target_link_libraries(toolkit_preview PRIVATE installer_wizard)

# The Windows adapter of the native message handling only builds on Windows.
# So that it is at least compiled on every run, check it with mingw-w64
# against the Windows API headers, borrowing this machine's Qt headers (whose
# platform detection follows the compiler, so Q_OS_WIN is set).
find_program(TOOLKIT_MINGW_CXX x86_64-w64-mingw32-g++)
if(TOOLKIT_MINGW_CXX AND NOT WIN32)
    get_target_property(toolkit_qt_includes Qt5::Widgets INTERFACE_INCLUDE_DIRECTORIES)
    set(toolkit_include_flags -I${CMAKE_SOURCE_DIR})
    foreach(dir IN LISTS toolkit_qt_includes)
        list(APPEND toolkit_include_flags -I${dir})
    endforeach()
    get_target_property(toolkit_qt_core_includes Qt5::Core INTERFACE_INCLUDE_DIRECTORIES)
    foreach(dir IN LISTS toolkit_qt_core_includes)
        list(APPEND toolkit_include_flags -I${dir})
    endforeach()
    add_test(NAME toolkit_win32_adapter_compiles
        COMMAND ${TOOLKIT_MINGW_CXX} -std=c++17 -fsyntax-only -Wall -Wextra -Werror
                -Wno-attributes -DUNICODE -D_UNICODE ${toolkit_include_flags}
                ${CMAKE_SOURCE_DIR}/toolkit/frameless_native_event.cpp)
endif()
