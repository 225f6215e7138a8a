#include "driver/pipeline.h"

int main(int argc, char **argv) { return zelk_main(argc, argv); }
