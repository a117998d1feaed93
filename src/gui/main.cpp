// zirvo, the main program: the feed reader and blog-article library window.

#include "gui/shell/app_startup.h"

int main(int argc, char** argv) {
    return zirvo::gui::RunZirvo(argc, argv);
}
