# The compile definitions every Windows build of this project uses: the
# installer itself and the Wine test build of the Windows layer alike, so the
# layer is tested with the flags it ships with. Windows 7 is the oldest
# system the installer supports; newer functions (per-monitor DPI) are looked
# up at run time.
add_compile_definitions(
    _WIN32_WINNT=0x0601
    WINVER=0x0601
    NTDDI_VERSION=0x06010000
    UNICODE
    _UNICODE
    WIN32_LEAN_AND_MEAN
    NOMINMAX)
