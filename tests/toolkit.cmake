# Tests of the window toolkit (toolkit/).
installer_add_test(tst_frameless_decision SOURCES tst_frameless_decision.cpp LIBS installer_toolkit)
installer_add_test(tst_toast_label SOURCES tst_toast_label.cpp LIBS installer_toolkit)
installer_add_test(tst_push_button SOURCES tst_push_button.cpp LIBS installer_toolkit)
installer_add_test(tst_system_bar SOURCES tst_system_bar.cpp LIBS installer_toolkit)
installer_add_test(tst_frame SOURCES tst_frame.cpp LIBS installer_toolkit)
