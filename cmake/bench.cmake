# The benchmarks (bench/): orvbench runs one measurement on a simulated machine, and
# mspack-expand is the reference expander it is compared with. tools/bench runs both, with
# the outside tools, in the optimised build.
find_library(ORV_BENCH_MSPACK mspack)
file(GLOB ORV_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
list(REMOVE_ITEM ORV_BENCH_SOURCES ${CMAKE_SOURCE_DIR}/bench/mspack_expand.cpp)
add_executable(orvbench ${ORV_BENCH_SOURCES})
target_link_libraries(orvbench PRIVATE orv_logic orv_hosted)

if(ORV_BENCH_MSPACK)
  add_executable(mspack-expand bench/mspack_expand.cpp)
  target_link_libraries(mspack-expand PRIVATE ${ORV_BENCH_MSPACK})
endif()
