# The simulated Windows machine, one library per part, each linking only what it builds on,
# and the program that runs the launcher on it.
find_package(nlohmann_json 3 REQUIRED)

function(orv_hosted_part name folder)
  file(GLOB sources CONFIGURE_DEPENDS platform/hosted/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

orv_hosted_part(orv_hosted_text text)
orv_hosted_part(orv_hosted_lz lz orv_platform)
orv_hosted_part(orv_hosted_files files orv_hosted_text)
orv_hosted_part(orv_hosted_registry registry orv_hosted_text)
orv_hosted_part(orv_hosted_process process orv_platform orv_hosted_files orv_hosted_text)
orv_hosted_part(orv_hosted machine orv_platform orv_hosted_text orv_hosted_lz orv_hosted_files
                orv_hosted_registry orv_hosted_process nlohmann_json::nlohmann_json)

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
