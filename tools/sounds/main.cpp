// vespertil-sfx RECIPE OUT.wav: renders one sample recipe into a game WAV file.
#include "wav_file.h"

int main(int argc, char **argv) { return sfx_main(argc, argv); }
