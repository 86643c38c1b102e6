# Tests of start-up and configuration: configuration record, display scale,
# translations and style sheets, the style resource and the completeness of
# the Chinese translation.
installer_add_test(tst_display_scale
    SOURCES app/tst_display_scale.cpp
    LIBS installer_startup)
