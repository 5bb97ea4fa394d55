// Progress of a long tcab run on standard error: a one-line bar redrawn in
// place on a terminal; one plain line per file when asked to be verbose;
// nothing at all when quiet or when standard error is no terminal.
#pragma once

#include "tools/tcab/CommandLine.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace tcab {

class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool terminal, Verbosity verbosity = Verbosity::Normal);
    ~ProgressLine();

    // A new file is being handled (verbose output prints one line for it).
    void File(const std::string& action, const std::string& name);
    // Redraws the bar when what it shows has changed.
    void Update(const std::string& phase, std::uint64_t done, std::uint64_t total);
    // A message on its own line, never mixed into the bar.
    void Message(const std::string& text);
    // Removes the bar, leaving the line empty.
    void Clear();

private:
    void Draw();

    std::ostream& err_;
    bool terminal_; // draws the bar
    bool lines_;    // prints a line per file
    bool shown_ = false;
    std::string phase_;
    std::string name_;
    int percent_ = -1;
    int drawnPercent_ = -2;
    std::string drawnName_;
};

bool IsTerminal(int fd);

} // namespace tcab
