# Builds the Windows side with mingw-w64 as part of this build and runs each
# of its test cases under Wine (label win32). Without mingw-w64 or Wine the
# cases fail and say why: the tier never skips silently.
include(ExternalProject)
set(win32_build_dir ${CMAKE_BINARY_DIR}/win32)
find_program(QUENLOW_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(QUENLOW_MINGW_CXX)
  ExternalProject_Add(win32_cross_build
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${win32_build_dir}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
               -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endif()

set(wine_runner ${CMAKE_CURRENT_LIST_DIR}/run_under_wine.sh)
set(win32_tests_exe ${win32_build_dir}/tests/win32_backend_tests.exe)
set(wine_environment "QUENLOW_WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix")
# Once, next to a starting KWin on two cores, a Wine case waited ten
# seconds and then listed no windows, most likely because Wine's desktop
# process had not started in time. A Wine case takes two processors, so on
# such a machine it runs alone.
set(wine_processors 2)

add_test(NAME win32_wine_prefix COMMAND ${wine_runner} --prepare)
set_tests_properties(win32_wine_prefix PROPERTIES LABELS win32 FIXTURES_SETUP wine_prefix
  RESOURCE_LOCK wine PROCESSORS ${wine_processors} TIMEOUT 600 ENVIRONMENT "${wine_environment}")

# One CTest case per test of each source file, so each reports on its own;
# a test added to one reconfigures the build. The program's cases run on a
# desktop Wine draws itself (title bars, borders, the pointer's input).
set(win32_program_tests_exe ${win32_build_dir}/tests/win32_program_tests.exe)
foreach(source_and_exe "win32_backend_test.cpp|${win32_tests_exe}" "win32_program_test.cpp|${win32_program_tests_exe}")
  string(REPLACE "|" ";" source_and_exe "${source_and_exe}")
  list(GET source_and_exe 0 source)
  list(GET source_and_exe 1 exe)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${source})
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/${source} win32_cases REGEX "^TEST(_F)?\\(")
  list(FILTER win32_cases EXCLUDE REGEX "InstalledProgram")  # the package tier's
  foreach(line IN LISTS win32_cases)
    string(REGEX REPLACE "^TEST(_F)?\\(([A-Za-z0-9_]+), *([A-Za-z0-9_]+)\\).*" "\\2.\\3" case "${line}")
    set(desktop)
    if(case MATCHES "^ScaledDesktop\\.")
      set(desktop --dpi 144)  # 150 %
    elseif(case MATCHES "^Program\\.")
      set(desktop --wine-desktop)
    endif()
    add_test(NAME win32.${case} COMMAND ${wine_runner} ${desktop} ${exe} --gtest_filter=${case})
    set_tests_properties(win32.${case} PROPERTIES LABELS win32 FIXTURES_REQUIRED wine_prefix
      RESOURCE_LOCK wine PROCESSORS ${wine_processors} TIMEOUT 120 ENVIRONMENT "${wine_environment}")
  endforeach()
endforeach()
