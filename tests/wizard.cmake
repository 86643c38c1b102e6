# Tests of the installer wizard (wizard/).
installer_add_test(tst_main_window SOURCES wizard/tst_main_window.cpp LIBS installer_wizard)
