#pragma once
// The command line both trace viewers share: --raw, --version and --help.

namespace trv81k {

// Parses the arguments and hands --raw to `run`, whose result is the exit code. Help and
// version end with 0; argument errors with 2, as in the other programs.
int ViewerMain(int argc, char** argv, const char* description, int (*run)(bool showLength));

}  // namespace trv81k
