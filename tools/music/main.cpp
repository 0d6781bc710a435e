// vespertil-xm TUNE OUT.xm: compiles one tune source into an XM module.
#include "tune.h"

int main(int argc, char **argv) { return xm_main(argc, argv); }
