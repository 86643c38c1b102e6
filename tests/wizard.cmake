# Tests of the installer wizard (wizard/).
installer_add_test(tst_main_window SOURCES wizard/tst_main_window.cpp LIBS installer_wizard)
# Accessible names of every control, and a whole installation from the keyboard.
installer_add_test(tst_accessibility
    SOURCES wizard/tst_accessibility.cpp pages/wizard_harness.h
    LIBS installer_wizard)
