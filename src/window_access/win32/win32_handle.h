#pragma once
// A window_handle is an HWND's value; these turn one into the other.

#include "window_system.h"

#include <windows.h>

#include <cstdint>

namespace quenlow {

inline HWND to_hwnd(window_handle handle) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle)); }
inline window_handle to_handle(HWND hwnd) { return static_cast<window_handle>(reinterpret_cast<std::uintptr_t>(hwnd)); }

}  // namespace quenlow
