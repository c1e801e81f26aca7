#pragma once
// A request to stop, made from a signal handler (Ctrl-C, SIGTERM, SIGHUP)
// while a long run is under way, so that it ends early along its normal
// way out and puts back what it changed on the desktop, instead of dying
// with it changed. Loops that wait check it between steps.

namespace quenlow {

// Async-signal-safe.
void request_interruption() noexcept;
bool interruption_requested() noexcept;

}  // namespace quenlow
