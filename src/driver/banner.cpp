#include "driver/pipeline.h"

#include <cstdio>

void AfficherAide() {
    std::fputs(" ***************************************************************** \n", stdout);
    std::fputs(" *                                                               * \n", stdout);
    std::fputs(" * Ce logiciel permet de faire Convertir un model Verilog A en C.* \n", stdout);
    std::fputs(" *           ( pour SPICE 3F5 )                                  * \n", stdout);
    std::fputs(" *                                                               * \n", stdout);
    std::fputs(" ***************************************************************** \n", stdout);
    std::fputs("\n", stdout);
}
