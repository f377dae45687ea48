#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrelrex-cli COMMAND ...\n");
        return 2;
    }
    std::fprintf(stderr, "tavrelrex-cli: unknown command\n");
    return 2;
}
