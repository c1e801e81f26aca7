#include "interruption.h"

#include <csignal>

namespace quenlow {

namespace {
volatile std::sig_atomic_t requested = 0;
}

void request_interruption() noexcept { requested = 1; }
bool interruption_requested() noexcept { return requested != 0; }

}  // namespace quenlow
