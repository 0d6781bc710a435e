// vespertil-xm-render MODULE [OUT.wav]: plays a module once through libxmp, as the
// game would, and prints how long it runs before looping and how loud it is, so a
// tune can be judged by numbers (and, with OUT.wav, by ear elsewhere).
#include "source_text.h"
#include "wav_file.h"

#include <xmp.h>

#include <cmath>
#include <cstdio>
#include <vector>

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: vespertil-xm-render MODULE [OUT.wav]\n");
        return 2;
    }
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module(ctx, argv[1]) != 0) {
        std::fprintf(stderr, "vespertil-xm-render: %s: libxmp cannot load it\n", argv[1]);
        xmp_free_context(ctx);
        return 1;
    }
    const int rate = 44100;
    xmp_start_player(ctx, rate, 0);
    std::vector<float> mono;
    double sum = 0, sum2 = 0;
    long clipped = 0, frames = 0;
    int peak = 0;
    xmp_frame_info fi;
    while (xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        if (fi.loop_count > 0) break;
        const short *s = static_cast<const short *>(fi.buffer);
        for (int i = 0; i + 1 < fi.buffer_size / 2; i += 2) {
            for (int k = 0; k < 2; ++k) {
                int v = s[i + k];
                sum += v;
                sum2 += static_cast<double>(v) * v;
                if (std::abs(v) > peak) peak = std::abs(v);
                if (v >= 32767 || v <= -32768) ++clipped;
            }
            if (argc == 3) mono.push_back((s[i] + s[i + 1]) / 65536.0f);
            ++frames;
        }
        if (frames > rate * 600L) break;  // ten minutes: it does not loop
    }
    double n = frames * 2.0;
    std::printf("%s: %.2f s before the loop (libxmp estimates %.2f s), rms %.0f, peak %d, "
                "dc %.1f, clipped samples %ld\n",
                argv[1], frames / static_cast<double>(rate), fi.total_time / 1000.0,
                n > 0 ? std::sqrt(sum2 / n) : 0.0, peak, n > 0 ? sum / n : 0.0, clipped);
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    if (argc == 3) {
        std::string error;
        if (!write_file_whole(argv[2], wav_bytes(mono, rate, 16), error)) {
            std::fprintf(stderr, "vespertil-xm-render: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
