// Writes the built-in demo match; see tools/demo_generator.h for the command line.
#include "tools/demo_generator.h"

int main(int argc, char** argv) {
    return runDemoGenerator(argc, argv);
}
