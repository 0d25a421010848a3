# OrvLaunch.exe for 32-bit Windows.
set(ORV_MINGW_TRIPLET i686-w64-mingw32)
set(ORV_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
