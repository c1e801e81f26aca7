# Inside the mingw-w64 cross build: GoogleTest from Debian's sources and the
# Win32 backend's tests, with the program's version record linked in.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(win32_backend_tests win32/win32_backend_test.cpp ${QUENLOW_WINDOWS_RC})
target_include_directories(win32_backend_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(win32_backend_tests PRIVATE window_access gtest version user32)
