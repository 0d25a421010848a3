# Unit tests per code folder, conformance tests of the platform contract, scenarios.
find_package(GTest REQUIRED)
include(GoogleTest)

# The test support (tests/support) is header-only.
add_library(orv_testing INTERFACE)
target_link_libraries(orv_testing INTERFACE orv_logic orv_hosted GTest::gtest)
target_compile_definitions(orv_testing INTERFACE ORV_SOURCE_DIR_FOR_TESTS="${CMAKE_SOURCE_DIR}")

foreach(area platform strutil winsys launcher)
  file(GLOB sources CONFIGURE_DEPENDS tests/${area}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  if(sources)
    add_executable(test_${area} ${sources})
    target_link_libraries(test_${area} PRIVATE orv_testing GTest::gtest_main)
    gtest_discover_tests(test_${area} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
      PROPERTIES ENVIRONMENT "ORV_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endif()
endforeach()

# The SZDD expander is checked against libmspack, a reference decoder of the format.
find_library(MSPACK mspack REQUIRED)
target_link_libraries(test_platform PRIVATE ${MSPACK})

# Whole runs of orvlaunch on the scenario suite and on the machines it refuses: one test per
# machine, named as its folder, and the tests of orvlaunch's options (MachineFolder).
add_executable(test_scenarios tests/scenarios/scenarios_test.cpp)
target_link_libraries(test_scenarios PRIVATE GTest::gtest nlohmann_json::nlohmann_json)
target_include_directories(test_scenarios PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(test_scenarios PRIVATE
  ORVLAUNCH_PATH="$<TARGET_FILE:orvlaunch>" ORV_SCENARIOS_DIR="${CMAKE_SOURCE_DIR}/scenarios"
  ORV_DOWNLOAD_ADDRESS_1="${ORV_DOWNLOAD_ADDRESS_1}" ORV_DOWNLOAD_ADDRESS_2="${ORV_DOWNLOAD_ADDRESS_2}")
add_dependencies(test_scenarios orvlaunch)
file(GLOB ORV_SCENARIOS LIST_DIRECTORIES true CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/scenarios/suite/*/machine.json
     ${CMAKE_SOURCE_DIR}/scenarios/refused/*/machine.json)
foreach(machine IN LISTS ORV_SCENARIOS)
  get_filename_component(dir ${machine} DIRECTORY)
  get_filename_component(name ${dir} NAME)
  add_test(NAME ${name} COMMAND test_scenarios --gtest_filter=-MachineFolder.* ${name})
endforeach()
gtest_discover_tests(test_scenarios DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES DISCOVERY_MODE PRE_TEST
                     TEST_FILTER MachineFolder.*)
