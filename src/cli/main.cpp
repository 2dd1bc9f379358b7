// varnel-image: the imaging job from the command line, with the console as its window.
#include <iostream>
#include <string>
#include <vector>

#include "cli/image_command.h"
#include "discovery/nt_volume_list.h"
#include "engine/platform/winapi.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    InitDecimalSeparator();  // the volume captions of --list use the user's decimal separator
    ConsoleEnvironment environment;
    win::DWORD mode = 0;
    environment.errIsTerminal =
        win::GetConsoleMode(win::GetStdHandle(win::STD_ERROR_HANDLE), &mode) != win::FALSE;
    const int status = RunImageCommand(args, std::cout, std::cerr, environment);
    std::cout.flush();
    return status;
}
