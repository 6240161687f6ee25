#pragma once

// How a running output reports its progress and learns that the user cancelled. The
// output dialog runs the output off its own thread and shows a progress bar with
// キャンセル; the command line shows a progress line. Every call may come from the thread
// that runs the output.

#include <string>

namespace quilto {

class OutputProgress {
  public:
    virtual ~OutputProgress() = default;

    // The pages of the run are known: the bar runs from 0 to pages (" 総頁数 = " pages).
    // lines is the number of lines of a free-form detail output (" 総行数 = "), else -1.
    virtual void Begin(int /*pages*/, int /*lines*/) {}
    // Page `page` (1..pages) is being written.
    virtual void Page(int /*page*/) {}
    // The text of the message panel (UTF-8).
    virtual void Status(const std::string& /*utf8*/) {}
    // Read between lines: true ends what is left of the output; what was written so far
    // is still saved or printed. Also read before each page is made: true there ends the
    // output before its first line, with nothing saved or printed.
    virtual bool Cancelled() { return false; }
};

}  // namespace quilto
