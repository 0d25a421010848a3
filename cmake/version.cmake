# ORV_VERSION, X.Y.Z: the version resource of OrvLaunch.exe, orvlaunch --version and, read
# back from the program, the medium's label. Each part is a 16-bit field of the version
# resource; a leading zero would read as octal there.
set(ORV_VERSION "${PROJECT_VERSION}" CACHE STRING "The launcher's version, X.Y.Z")
if(NOT ORV_VERSION MATCHES "^(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)\\.(0|[1-9][0-9]*)$")
  message(FATAL_ERROR "ORV_VERSION '${ORV_VERSION}' is not X.Y.Z (numbers without leading zeros)")
endif()
set(ORV_VERSION_MAJOR ${CMAKE_MATCH_1})
set(ORV_VERSION_MINOR ${CMAKE_MATCH_2})
set(ORV_VERSION_PATCH ${CMAKE_MATCH_3})
foreach(part ${ORV_VERSION_MAJOR} ${ORV_VERSION_MINOR} ${ORV_VERSION_PATCH})
  if(part GREATER 65535)
    message(FATAL_ERROR "ORV_VERSION '${ORV_VERSION}': ${part} is above 65535")
  endif()
endforeach()
