// Command-line companion of the analyser.
#include <cstdio>

int main(int argc, char** argv) {
    std::fprintf(stderr, "uso: tovisca-cli info|draws|csn|update ...\n");
    return 2;
}
