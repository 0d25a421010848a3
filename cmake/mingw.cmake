# The MinGW-w64 cross toolchain of Debian (win32 threads by default), for the triplet and
# processor the preset's toolchain file names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORV_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${ORV_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ORV_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${ORV_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW-w64 tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ORV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
