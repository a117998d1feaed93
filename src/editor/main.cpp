// editor, the post editor: one article of one blog account, started by the main program.

#include "editor/editor_startup.h"

int main(int argc, char** argv) {
    return zirvo::editor::RunEditor(argc, argv);
}
