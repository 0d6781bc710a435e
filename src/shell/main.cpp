// Vespertil: start-up, the top-level flow between the menu and the levels, the end
// pictures and shutdown.
#include "shell/startup.h"
#include "shell/top_level.h"

#include <allegro.h>

int main(int argc, char **argv) {
    if (!start_up(argc, argv)) return 1;
    show_logo_splash();
    run_top_level();
    show_end_pictures();
    shut_down();
    return 0;
}
END_OF_MAIN()
