#pragma once
// The desktop's accessibility switch (org.a11y.Status IsEnabled), turned on
// only for as long as a page-area reading needs it: Firefox on X11 comes
// onto the accessibility bus once it is on. Turned on, it is put back off
// when this goes, on every way out (an interrupted run ends along its
// normal way), unless a screen reader is on by then: the user's own
// accessibility is never switched off. Turning it on makes the bus's
// launcher write it into the user's GSettings too; putting it back writes
// it back.

#include "accessibility_bus.h"

namespace quenlow::atspi {

class accessibility_switch {
public:
    explicit accessibility_switch(accessibility_bus& bus) : bus_(bus) {}
    ~accessibility_switch();
    accessibility_switch(const accessibility_switch&) = delete;
    accessibility_switch& operator=(const accessibility_switch&) = delete;

    // Turns it on where it is off; whether this did.
    bool turn_on();

private:
    accessibility_bus& bus_;
    bool turned_on_ = false;
};

}  // namespace quenlow::atspi
