// Compiles the shared library records so their layout checks run in every build.
#include "design/design_library_abi.h"
#include "vis/vis_plugin_abi.h"
