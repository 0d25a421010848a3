# The libFuzzer targets, for the fuzz preset only. The preset names this file as
# CMAKE_PROJECT_INCLUDE, so it runs right after project() and the other presets never see
# it; the targets themselves are made at the end of the top-level file, once the
# libraries they link exist.
#
# The logic library is not built here: the error classes of winsys use
# std::source_location, which clang 14 cannot compile against GCC 12's library. The
# targets link the platform and hosted libraries and compile the two launcher sources
# they test directly.

function(orv_add_fuzz_targets)
  set_target_properties(orv_logic orvlaunch orvbench PROPERTIES EXCLUDE_FROM_ALL ON)
  add_library(orv_fuzz_support STATIC fuzz/support/scratch.cpp)
  target_link_libraries(orv_fuzz_support PUBLIC orv_hosted)
  foreach(name szdd reg_text machine_json split_command_line nth_word hosted_paths)
    add_executable(fuzz_${name} fuzz/${name}/fuzz_${name}.cpp)
    target_link_libraries(fuzz_${name} PRIVATE orv_fuzz_support)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
  target_sources(fuzz_split_command_line PRIVATE launcher/arguments.cpp)
  target_sources(fuzz_nth_word PRIVATE strutil/strutil.cpp)
endfunction()

cmake_language(DEFER CALL orv_add_fuzz_targets)
