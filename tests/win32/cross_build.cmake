# Inside the mingw-w64 cross build: GoogleTest from Debian's sources and the
# Win32 backend's tests, with the program's version record linked in.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(win32_backend_tests win32/win32_backend_test.cpp ${QUENLOW_WINDOWS_RC})
target_include_directories(win32_backend_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(win32_backend_tests PRIVATE window_access gtest version user32)

# The whole program as a user meets it, started from beside its tests.
add_executable(win32_program_tests win32/win32_program_test.cpp)
target_link_libraries(win32_program_tests PRIVATE gtest_main user32 advapi32)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/quenlow.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quenlow> ${CMAKE_CURRENT_BINARY_DIR}/quenlow.exe
  DEPENDS quenlow)
add_custom_target(program_beside_its_tests ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quenlow.exe)
