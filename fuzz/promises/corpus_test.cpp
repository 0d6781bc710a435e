// Every seed of the game's readers' fuzz targets through the same promises the
// targets check: a fault the fuzzer once found stays found by the plain suite.
#include "support/promise.h"

#include "support/corpus_seeds.h"

INSTANTIATE_TEST_SUITE_P(Readers, CorpusSeed,
                         seeds_of({{"data_path", data_path_promise},
                                   {"file_limits", file_limits_promise},
                                   {"pcx", pcx_promise},
                                   {"wav", wav_promise},
                                   {"settings", settings_promise},
                                   {"jpeg", jpeg_promise},
                                   {"module", module_promise},
                                   {"map_file", map_file_promise},
                                   {"replay", replay_promise}}),
                         seed_name);
