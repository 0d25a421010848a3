# The medium tools: the SZDD compressor, the layout of a medium and its inspection
# (tools/make-medium, tools/check-medium). They stand apart from the launcher and its platform.
file(GLOB ORV_MEDIUM_SOURCES CONFIGURE_DEPENDS medium/*.cpp)
list(FILTER ORV_MEDIUM_SOURCES EXCLUDE REGEX "medium/main\\.cpp$")
add_library(orv_medium STATIC ${ORV_MEDIUM_SOURCES})
target_include_directories(orv_medium PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(orvmedium medium/main.cpp)
target_link_libraries(orvmedium PRIVATE orv_medium)
target_compile_definitions(orvmedium PRIVATE ORV_MEDIUM_ICON="${CMAKE_SOURCE_DIR}/medium/Orvanel.ico")

if(ORV_TESTS)
  # The compressor is checked against the simulator's SZDD expander, libmspack's and
  # mscompress's files.
  file(GLOB ORV_MEDIUM_TEST_SOURCES CONFIGURE_DEPENDS tests/medium/*.cpp)
  add_executable(test_medium ${ORV_MEDIUM_TEST_SOURCES})
  target_link_libraries(test_medium PRIVATE orv_medium orv_hosted ${MSPACK} GTest::gtest_main)
  target_compile_definitions(test_medium PRIVATE
    ORV_MEDIUM_ICON="${CMAKE_SOURCE_DIR}/medium/Orvanel.ico")
  gtest_discover_tests(test_medium DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
endif()
