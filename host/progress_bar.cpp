#include "progress_bar.h"

#include "console.h"

namespace host {

ProgressBar::ProgressBar(std::string label) : label_(std::move(label)), terminal_(stderrIsTerminal()) {}

void ProgressBar::update(unsigned long long done, unsigned long long total) {
    if (finished_) return;
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    if (percent > 100) percent = 100;
    if (percent == shown_) return;
    if (!terminal_ && percent / 25 == shown_ / 25 && shown_ >= 0) return;
    shown_ = percent;
    constexpr int kWidth = 30;
    std::string bar(static_cast<size_t>(kWidth), '.');
    for (int i = 0; i < percent * kWidth / 100; ++i) bar[static_cast<size_t>(i)] = '#';
    std::fprintf(stderr, terminal_ ? "\r%-10s [%s] %3d%%" : "%-10s [%s] %3d%%\n", label_.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
}

void ProgressBar::finish(bool failed) {
    if (finished_) return;
    if (!failed) update(1, 1);
    if (terminal_ && shown_ >= 0) std::fputc('\n', stderr);
    finished_ = true;
}

}  // namespace host
