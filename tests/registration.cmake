# System registration: the plan on every system, the freedesktop applier on
# Linux. The Windows applier is tested under Wine (tests/win32/tst_registry.cpp,
# tst_shell_link.cpp).
installer_add_test(tst_registration_plan
    SOURCES registration/tst_registration_plan.cpp
    LIBS installer_registration)

if(WIN32)
    # Under Wine: the registry and shell links the applier really writes.
    installer_add_test(tst_windows_registration
        SOURCES registration/tst_windows_registration.cpp
        LIBS installer_registration)
else()
    installer_add_test(tst_desktop_files
        SOURCES registration/tst_desktop_files.cpp
        LIBS installer_platform)
    installer_add_test(tst_freedesktop_registration
        SOURCES registration/tst_freedesktop_registration.cpp
        LIBS installer_registration)
endif()
