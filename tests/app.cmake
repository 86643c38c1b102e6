# Tests of start-up and configuration: configuration record, display scale,
# translations and style sheets, the style resource and the completeness of
# the Chinese translation.
installer_add_test(tst_display_scale
    SOURCES app/tst_display_scale.cpp
    LIBS installer_startup)

# Qt's tools, for tests that pack their own resources and translations.
set(qt_tools_environment
    RCC=$<TARGET_FILE:Qt5::rcc>
    LRELEASE=$<TARGET_FILE:Qt5::lrelease>
    LUPDATE=$<TARGET_FILE:Qt5::lupdate>)

installer_add_test(tst_translations_and_styles
    SOURCES app/tst_translations_and_styles.cpp
    LIBS installer_startup
    ENVIRONMENT ${qt_tools_environment})

installer_add_test(tst_installer_config
    SOURCES app/tst_installer_config.cpp
    LIBS installer_startup)

# Reads the built installer.zh_CN.qm, so it needs the translations built.
installer_add_test(tst_translations
    SOURCES app/tst_translations.cpp
    ENVIRONMENT ${qt_tools_environment})
if(TARGET tst_translations)
    add_dependencies(tst_translations installer_translations)
endif()

# Reads the built installer.brc.
installer_add_test(tst_style_resource
    SOURCES app/tst_style_resource.cpp
    LIBS installer_startup)
if(TARGET tst_style_resource)
    add_dependencies(tst_style_resource installer_style)
endif()

installer_add_test(tst_window_activation
    SOURCES app/tst_window_activation.cpp
    LIBS installer_startup)

# The real, shipped installer on a private X server: window size at four
# desktop scales, its shape without a compositor, and two accounts at once.
installer_add_test(tst_installer_window
    SOURCES app/tst_installer_window.cpp)
if(TARGET tst_installer_window)
    add_dependencies(tst_installer_window installer installer_translations installer_style)
endif()
