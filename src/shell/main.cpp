// Vespertil: start-up, the top-level flow between the menu and the levels, the end
// pictures and shutdown.
#include "shell/startup.h"

#include <allegro.h>

int main(int argc, char **argv) {
    if (!start_up(argc, argv)) return 1;
    show_logo_splash();
    // The main menu and the fixed two-level sequence come here; until the menu
    // exists the game goes from the splash straight to the end pictures.
    show_end_pictures();
    shut_down();
    return 0;
}
END_OF_MAIN()
