#include "driver/pipeline.h"

int main(int argc, char **argv) { zelk_exit(zelk_main(argc, argv)); }
