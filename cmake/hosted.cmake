# The simulated Windows machine and the program that runs the launcher on it.
find_package(nlohmann_json 3 REQUIRED)

file(GLOB_RECURSE ORV_HOSTED_SOURCES CONFIGURE_DEPENDS platform/hosted/*.cpp)
add_library(orv_hosted STATIC ${ORV_HOSTED_SOURCES})
target_link_libraries(orv_hosted PUBLIC orv_platform nlohmann_json::nlohmann_json)

add_executable(orvlaunch launcher/main_hosted.cpp)
target_link_libraries(orvlaunch PRIVATE orv_logic orv_hosted)
target_compile_definitions(orvlaunch PRIVATE
  ORV_DEMO_MACHINE="${CMAKE_SOURCE_DIR}/scenarios/demo"
  ORV_VERSION="${ORV_VERSION}")
# The optimised simulator is linked statically: binding the shared C++ run-time's symbols
# was most of the cost of a short run. Sanitizers and valgrind need the dynamic form.
if(NOT ORV_SANITIZE)
  target_link_options(orvlaunch PRIVATE $<$<CONFIG:Release>:-static>)
endif()
