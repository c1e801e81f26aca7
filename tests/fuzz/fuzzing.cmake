# Builds the fuzzers with clang as part of this build and runs each for a
# bounded number of executions (label fuzz).
include(ExternalProject)
set(fuzz_build_dir ${CMAKE_BINARY_DIR}/fuzz)
find_program(QUENLOW_CLANGXX NAMES clang++-14 clang++)
if(QUENLOW_CLANGXX)
  ExternalProject_Add(fuzz_build
    SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}
    BINARY_DIR ${fuzz_build_dir}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${QUENLOW_CLANGXX}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endif()
foreach(target fast_button language title_filter x11_title xft_dpi x11_placement kwin_report)
  add_test(NAME fuzz.${target}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/run_fuzzer.sh ${fuzz_build_dir}/${target}_fuzzer
            ${CMAKE_CURRENT_LIST_DIR}/corpus/${target} 200000)
  set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT 300)
endforeach()
