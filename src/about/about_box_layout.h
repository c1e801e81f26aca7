#pragma once
// Where the About box's controls sit, and its fixed texts.

#include "form_layout.h"

namespace quenlow {

const form_layout& about_box_layout();

}  // namespace quenlow
