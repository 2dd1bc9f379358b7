// What the imaging job and the copy loop need of the window. The desktop window implements
// it on Qt, the command line on the console, and the tests with a fake window.
#pragma once

#include <cstdint>
#include <string>

class TGauge;

// The window's inputs of one job, read when Start is pressed.
struct JobInputs {
    std::string SourcePath;       // empty when nothing was chosen
    std::string TargetPath;       // empty when nothing was chosen
    bool TargetIsFile = false;    // chosen through the save dialog: measuring creates it anew
    std::string SourceFieldText;  // text of Edit1, only for the empty-field warning
    std::string TargetFieldText;  // text of Edit2, only for the empty-field warning
    int SecradioItemIndex = 0;    // selected button of Secradio, 0 to 3, or -1 for none
    std::string StartText = "0";  // text of Begsec: the start offset in bytes
    // Rescue settings the command line gives; the window keeps the defaults.
    int ReadAttempts = 1;    // reads of each sector of a bad area before it counts as unreadable
    std::string MapPath;     // map file of a resumable copy; empty for none
    bool SparseFile = true;  // a new target file gets holes where the image holds zeros
};

class WindowServices {
  public:
    virtual ~WindowServices() = default;

    virtual JobInputs ReadJobInputs() = 0;

    // Lock: disables Start, the two fields, Secradio and Begsec (in that order), resets the
    // tick count and starts Timer1. Unlock: enables them again and stops Timer1.
    virtual void DisableControls() = 0;
    virtual void EnableControls() = 0;

    // Handles every event that is waiting (clicks, ticks, repaints) and returns as soon as none
    // is waiting; never waits for a new one.
    virtual void ProcessMessages() = 0;

    // A modal box with the text and one OK button; returns when it has been dismissed.
    virtual void ShowMessage(const std::string& text) = 0;

    // A modal Yes/No question, No the default and the answer to Esc and to closing the box.
    virtual bool AskYesNo(const std::string& text) = 0;

    // The progress gauge gg.
    virtual TGauge& Gauge() = 0;

    // The request flags, set only by Stop and Pause, cleared when a copy begins.
    virtual bool& StopRequested() = 0;
    virtual bool& PauseRequested() = 0;

    // Told after every chunk how far the copy has come, in source bytes from the start
    // offset; the console uses it for its progress line. The window needs nothing here.
    virtual void CopyProgress(std::int64_t /*bytesDone*/, std::int64_t /*bytesTotal*/) {}
};
