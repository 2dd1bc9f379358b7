// The imaging job that Start runs, and the two request buttons.
#pragma once

#include <cstdint>
#include <string>

#include "engine/copy_sectors.h"

class WindowServices;

struct JobOutcome {
    enum class Kind {
        NothingToDo,   // a path was empty
        Declined,      // the user said No to overwriting a device
        NoSectorSize,  // no sector size selected: measured, nothing copied
        Copied         // the copy ran (to the end, or until Stop: then copy.stopped is set)
    };
    Kind kind = Kind::NothingToDo;
    CopyResult copy;
};

// Button1Click: runs one job against the window. A copy that ran to its end shows the completion
// text; a stopped one shows nothing, and the front end reports StoppedMessage. Exceptions
// leave it after the controls have been unlocked.
JobOutcome RunImagingJob(WindowServices& window);

// Button2Click and Button4Click: set their flag and nothing else.
void RequestStop(WindowServices& window);
void RequestPause(WindowServices& window);

// Shows the empty-field warning when either field text is empty; never ends the job.
void CheckEndpoints(WindowServices& window, const std::string& sourceField,
                    const std::string& targetField);

// The completion text, with a line about unreadable sectors when there were any.
std::string CompletionMessage(const CopyResult& result);
// The ending of a stopped copy: where in the source it stopped and how many bytes the target
// (named by `target`) received, with the same line about unreadable sectors.
std::string StoppedMessage(const CopyResult& result, const std::string& target);
