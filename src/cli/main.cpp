// varnel-image: the imaging job from the command line, with the console as its window.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/image_command.h"
#include "discovery/nt_volume_list.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    InitDecimalSeparator();  // the volume captions of --list use the user's decimal separator
    ConsoleEnvironment environment;
    environment.errIsTerminal = isatty(STDERR_FILENO) == 1;
    const int status = RunImageCommand(args, std::cout, std::cerr, environment);
    std::cout.flush();
    return status;
}
