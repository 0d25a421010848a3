# OrvLaunch.exe for 64-bit Windows.
set(ORV_MINGW_TRIPLET x86_64-w64-mingw32)
set(ORV_MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
