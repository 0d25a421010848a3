# OrvLaunch.exe: the launcher on the real Windows platform, cross-built with MinGW-w64.
# Static run-time (only Windows' own DLLs imported), GUI subsystem, small, ASLR and DEP.
# Reproducible bytes: source paths (source_location, __FILE__) are written relative to the
# source folder, and the linker writes no time stamp into the PE header.
set(ORV_WIN32_COMPILE_OPTIONS -Os -ffunction-sections -fdata-sections
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
foreach(target orv_platform orv_logic)
  target_compile_options(${target} PRIVATE ${ORV_WIN32_COMPILE_OPTIONS})
endforeach()

file(GLOB ORV_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(orv_win32 STATIC ${ORV_WIN32_SOURCES})
target_link_libraries(orv_win32 PUBLIC orv_platform)
target_compile_options(orv_win32 PRIVATE ${ORV_WIN32_COMPILE_OPTIONS})

# The manifest and version resources, compiled by windres into an object of their own: the
# project's warning options, given to every language, are not windres options.
find_program(ORV_WINDRES NAMES ${CMAKE_RC_COMPILER} REQUIRED)
set(ORV_RC_DIR ${CMAKE_CURRENT_BINARY_DIR}/rc)
file(CONFIGURE OUTPUT ${ORV_RC_DIR}/OrvLaunchVersion.h CONTENT [[
#define ORV_VERSION_MAJOR @ORV_VERSION_MAJOR@
#define ORV_VERSION_MINOR @ORV_VERSION_MINOR@
#define ORV_VERSION_PATCH @ORV_VERSION_PATCH@
#define ORV_VERSION "@ORV_VERSION@"
]])
set(ORV_RC_OBJECT ${ORV_RC_DIR}/OrvLaunch.res.obj)
add_custom_command(
  OUTPUT ${ORV_RC_OBJECT}
  COMMAND ${ORV_WINDRES} --input-format=rc --output-format=coff
          -I ${CMAKE_SOURCE_DIR}/launcher -I ${ORV_RC_DIR}
          -i ${CMAKE_SOURCE_DIR}/launcher/OrvLaunch.rc -o ${ORV_RC_OBJECT}
  DEPENDS launcher/OrvLaunch.rc launcher/OrvLaunch.manifest ${ORV_RC_DIR}/OrvLaunchVersion.h
  COMMENT "Compiling the OrvLaunch.exe resources"
  VERBATIM)

# WIN32: the GUI subsystem (-mwindows), entered at WinMain.
add_executable(OrvLaunch WIN32 launcher/main_win32.cpp ${ORV_RC_OBJECT})
target_link_libraries(OrvLaunch PRIVATE orv_logic orv_win32)
target_compile_options(OrvLaunch PRIVATE ${ORV_WIN32_COMPILE_OPTIONS})
target_link_options(OrvLaunch PRIVATE
  -static -static-libgcc -static-libstdc++
  -Wl,--gc-sections -s -Wl,--no-insert-timestamp
  -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  target_link_options(OrvLaunch PRIVATE -Wl,--high-entropy-va)
endif()

# The Wine test programs (tools/wine-scenarios): the box watcher that runs the launcher and
# answers its boxes, and the stub that stands in for the programs the launcher starts. They
# are built beside OrvLaunch.exe and are never part of the shipped program.
add_executable(box_watcher tests/wine/box_watcher.cpp)
add_executable(stub_program WIN32 tests/wine/stub_program.cpp)
foreach(target box_watcher stub_program)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endforeach()

# The platform conformance tests on the real calls (tools/wine-conformance): the test files
# that run against the simulated machine, linked with the Win32 platform and the Win32 side
# of their fixture. GoogleTest is built from Debian's source package for this test only.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)
# GoogleTest's own code is not held to the project's warning options.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)
target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/wine/gtest_notification.h)

file(GLOB ORV_CONFORMANCE_SOURCES CONFIGURE_DEPENDS tests/platform/conformance_*.cpp)
list(FILTER ORV_CONFORMANCE_SOURCES EXCLUDE REGEX "conformance_hosted\\.cpp$")
add_executable(conformance_win32 ${ORV_CONFORMANCE_SOURCES})
target_link_libraries(conformance_win32 PRIVATE orv_win32 gtest_main)
target_link_options(conformance_win32 PRIVATE -static -static-libgcc -static-libstdc++)
