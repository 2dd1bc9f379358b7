// The arguments of varnel-image, read into what the command is to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ImageCommand {
    enum class Action { Copy, List, Help, Version, UsageError };
    Action action = Action::UsageError;
    std::string error;            // UsageError: what is wrong with the arguments
    std::string source;           // SOURCE as given
    std::string target;           // TARGET as given
    int secradioItemIndex = 0;    // the sector size as the Secradio button 0 to 3
    std::string startText = "0";  // the start offset as given; checked to be a valid offset
    int readAttempts = 1;         // reads of each sector of a bad area
    std::string mapPath;          // the map file of a resumable copy; empty for none
    bool force = false;           // a disk or volume target may be overwritten
    bool quiet = false;           // no progress line
    bool sparse = true;           // a new file target gets holes where the image holds zeros
};

// Reads the arguments (without the program name). Never raises: bad arguments come back as
// Action::UsageError with a one-line explanation.
ImageCommand ParseImageCommand(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string ImageCommandUsage();

// The version line printed by --version.
std::string ImageCommandVersion();
