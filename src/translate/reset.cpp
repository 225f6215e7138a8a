#include "translate/reset.h"

#include "scanner/scanner.h"
#include "symbols/state.h"

void zelk_reset_translation() {
    zelk_reset_state();
    zelk_control_reset();
    zelk_scanner_reset();
}
