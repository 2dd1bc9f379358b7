#include "cli/command_line.h"

#include <optional>

#include "engine/copy_sectors.h"
#include "engine/errors.h"
#include "engine/start_text.h"

namespace {

ImageCommand Usage(std::string error) {
    ImageCommand command;
    command.action = ImageCommand::Action::UsageError;
    command.error = std::move(error);
    return command;
}

enum class ValueOption { None, SectorSize, Offset, Retries, Map };

// The option with a value that `arg` names ("-s", "--sector-size", "--sector-size=520", ...),
// and the value when it comes in the same argument.
struct NamedValueOption {
    ValueOption option = ValueOption::None;
    std::optional<std::string> value;
};

NamedValueOption ValueOptionOf(const std::string& arg) {
    struct Spelling {
        ValueOption option;
        const char* shortName;
        std::string longName;
    };
    const Spelling spellings[] = {{ValueOption::SectorSize, "-s", "--sector-size"},
                                  {ValueOption::Offset, "-o", "--offset"},
                                  {ValueOption::Retries, "-r", "--retries"},
                                  {ValueOption::Map, "-m", "--map"}};
    for (const Spelling& spelling : spellings) {
        if (arg == spelling.shortName || arg == spelling.longName) {
            return {spelling.option, std::nullopt};
        }
        const std::string prefix = spelling.longName + "=";
        if (arg.compare(0, prefix.size(), prefix) == 0) {
            return {spelling.option, arg.substr(prefix.size())};
        }
    }
    return {};
}

std::optional<int> SectorSizeIndex(const std::string& text) {
    for (std::size_t i = 0; i < kSourceSectorSizes.size(); ++i) {
        if (text == std::to_string(kSourceSectorSizes[i])) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

// A count of reads per sector: a whole number from 1 to kMostReadAttempts.
constexpr int kMostReadAttempts = 100;

std::optional<int> ReadAttempts(const std::string& text) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int attempts = std::stoi(text);
    if (attempts < 1 || attempts > kMostReadAttempts) {
        return std::nullopt;
    }
    return attempts;
}

// The start offset must be a number the start field accepts, and not negative.
std::optional<std::string> StartTextError(const std::string& text) {
    try {
        CheckStartOffset(StrToInt64(text));
    } catch (const EConvertError& error) {
        return error.Message();
    }
    return std::nullopt;
}

}  // namespace

ImageCommand ParseImageCommand(const std::vector<std::string>& args) {
    ImageCommand command;
    std::vector<std::string> operands;
    bool list = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            command.action = ImageCommand::Action::Help;
            return command;
        } else if (arg == "--version") {
            command.action = ImageCommand::Action::Version;
            return command;
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "-f" || arg == "--force") {
            command.force = true;
        } else if (arg == "-q" || arg == "--quiet") {
            command.quiet = true;
        } else if (arg == "--no-sparse") {
            command.sparse = false;
        } else {
            NamedValueOption named = ValueOptionOf(arg);
            if (named.option == ValueOption::None) {
                return Usage(Format("Unknown option \"%s\".", arg.c_str()));
            }
            if (!named.value) {
                if (i + 1 == args.size()) {
                    return Usage(Format("The option \"%s\" needs a value.", arg.c_str()));
                }
                named.value = args[++i];
            }
            const std::string& value = *named.value;
            if (named.option == ValueOption::SectorSize) {
                const std::optional<int> index = SectorSizeIndex(value);
                if (!index) {
                    return Usage(Format("'%s' is not a sector size: use 512, 518, 520 or 522.",
                                        value.c_str()));
                }
                command.secradioItemIndex = *index;
            } else if (named.option == ValueOption::Offset) {
                if (const std::optional<std::string> error = StartTextError(value)) {
                    return Usage(*error);
                }
                command.startText = value;
            } else if (named.option == ValueOption::Retries) {
                const std::optional<int> attempts = ReadAttempts(value);
                if (!attempts) {
                    return Usage(Format("'%s' is not a number of reads: use 1 to %d.",
                                        value.c_str(), kMostReadAttempts));
                }
                command.readAttempts = *attempts;
            } else {
                if (value.empty()) {
                    return Usage("The map needs a file name.");
                }
                command.mapPath = value;
            }
        }
    }

    if (list) {
        if (!operands.empty()) {
            return Usage("--list takes no SOURCE or TARGET.");
        }
        command.action = ImageCommand::Action::List;
        return command;
    }
    if (operands.size() < 2) {
        return Usage(operands.empty() ? "SOURCE and TARGET are missing." : "TARGET is missing.");
    }
    if (operands.size() > 2) {
        return Usage(Format("Too many arguments: \"%s\" follows TARGET.", operands[2].c_str()));
    }
    command.action = ImageCommand::Action::Copy;
    command.source = operands[0];
    command.target = operands[1];
    return command;
}

std::string ImageCommandUsage() {
    return "Usage: varnel-image [-s|--sector-size N] [-o|--offset START] [-r|--retries N]\n"
           "                    [-m|--map FILE] [--no-sparse] [-f|--force] [-q|--quiet]\n"
           "                    SOURCE TARGET\n"
           "       varnel-image --list\n"
           "       varnel-image --help | --version\n"
           "\n"
           "Copies SOURCE from byte START to its end into TARGET, every source sector of N bytes\n"
           "(512, 518, 520 or 522; default 512) cut to 512 bytes.\n"
           "SOURCE and TARGET: PhysicalDriveN, \\\\.\\PhysicalDriveN, X:, \\\\.\\X: or a file.\n"
           "A file TARGET is created anew; a disk or volume TARGET is written only with --force.\n"
           "START is in bytes: decimal, or hexadecimal after $, x or 0x.\n"
           "  -r, --retries N    read each sector of a bad area up to N times (default 1)\n"
           "  -m, --map FILE     record the copy's progress in FILE; run the same command\n"
           "                     again to go on where it ended\n"
           "      --no-sparse    write zeros into a new file TARGET instead of leaving holes\n"
           "  -f, --force        overwrite a disk or volume TARGET\n"
           "  -q, --quiet        no progress line\n"
           "      --list         the disks and volumes that can be named as SOURCE or TARGET\n"
           "Exit status: 0 complete, 1 failed, 2 usage error, 130 stopped (Ctrl+C).\n";
}

std::string ImageCommandVersion() {
    return "varnel-image 1.5.0";
}
