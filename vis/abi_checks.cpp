// Compiles the shared library records so their layout checks run in every build (the
// design library record is checked by the public header wherever the player includes it).
#include "vis/vis_plugin_abi.h"
