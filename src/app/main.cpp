#include "app/brindle_app.h"

int main(int argc, char* argv[]) {
    return CBrindleApp::Run(argc, argv);
}
