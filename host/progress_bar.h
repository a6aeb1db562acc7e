// A one-line progress bar on the terminal for the library's progress messages.
#pragma once

#include <cstdio>
#include <string>

namespace host {

/** Draws "label [#####.....]  50%" on stderr, redrawn in place on a terminal and printed
 * every quarter otherwise (logs stay short). Amounts may be of any unit. */
class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    void update(unsigned long long done, unsigned long long total);
    /** Ends the line (at 100% unless failed). */
    void finish(bool failed = false);

private:
    std::string label_;
    bool terminal_;
    int shown_ = -1;
    bool finished_ = false;
};

}  // namespace host
