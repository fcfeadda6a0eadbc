#include "app/cli/cli.h"

int main(int argc, char** argv) { return orvel::cli::run(argc, argv); }
