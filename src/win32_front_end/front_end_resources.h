#pragma once
// Resource identifiers of the native front-end (1 is the program's icon).
#define QUENLOW_BANNER_BITMAP 101
#define QUENLOW_HAND_CURSOR 102
