#pragma once
// orvel-cli: the program's logic without windows, for scripts, benchmarks and
// end-to-end tests.

namespace orvel::cli {

int run(int argc, char** argv);

}  // namespace orvel::cli
