# The files of the operating-system layer, named once: platform/CMakeLists.txt
# builds them into the program and tests/win32 cross-builds the Windows side
# for its Wine tests. Paths are relative to platform/.

# One header per service both systems provide.
set(PLATFORM_HEADERS
    disk_space.h
    file_identity.h
    foreground.h
    known_folders.h
    machine_lock.h
    monitors.h
    native_string.h
    new_file.h
    process_liveness.h
    processes.h
    system_error.h
)

# Their Windows implementations, and the services only Windows has.
set(PLATFORM_WIN32_SOURCES
    win32/disk_space.cpp
    win32/file_identity.cpp
    win32/folder_picker.cpp
    win32/folder_picker.h
    win32/foreground.cpp
    win32/known_folders.cpp
    win32/machine_lock.cpp
    win32/monitors.cpp
    win32/new_file.cpp
    win32/process_liveness.cpp
    win32/processes.cpp
    win32/registry.cpp
    win32/registry.h
    win32/shell_links.cpp
    win32/shell_links.h
    win32/system_error.cpp
    win32/user_session.cpp
    win32/user_session.h
)
set(PLATFORM_WIN32_LIBRARIES ole32 oleaut32 shell32 uuid advapi32 user32)

# Their Linux implementations, and the services only Linux has.
set(PLATFORM_UNIX_SOURCES
    unix/compositor.cpp
    unix/compositor.h
    unix/desktop_entry.cpp
    unix/desktop_entry.h
    unix/disk_space.cpp
    unix/file_identity.cpp
    unix/foreground.cpp
    unix/freedesktop.cpp
    unix/freedesktop.h
    unix/known_folders.cpp
    unix/machine_lock.cpp
    unix/mime_apps.cpp
    unix/mime_apps.h
    unix/monitors.cpp
    unix/new_file.cpp
    unix/process_liveness.cpp
    unix/processes.cpp
    unix/system_error.cpp
)
