// The empty dialog of the start-up yardstick, and the caption the start-up
// benchmark looks for.
#pragma once

#define IDD_MINIMAL     101
#define MINIMAL_CAPTION "Minimal"
