#include "formats/importer.h"

#include <algorithm>

#include "model/block_factory.h"
#include "platform/messages/post_run.h"
#include "services/library_windows.h"

namespace wd {

void Importer::Destroy(Importer* importer) { delete importer; }

void Importer::beginRead() {
    failure_ = static_cast<int>(FileProblem::None);
    writeFailuresAtStart_ = BlockFactory::instance().writeFailures();
}

void Importer::setFailure(FileProblem reason, const Track* track) {
    failure_ = static_cast<int>(readProblem(writeFailuresAtStart_, track, reason));
}

void Importer::AddProgressWindow(HWND window) {
    if (!IsWindow(window)) return;
    if (std::find(progressWindows.begin(), progressWindows.end(), window) != progressWindows.end()) return;
    progressWindows.push_back(window);
}

void Importer::NotifyProgressWindows(UINT message, WPARAM wParam, LPARAM lParam) const {
    for (HWND window : progressWindows) PostMessageA(window, message, wParam, lParam);
}

void Importer::NotifyProgressRun(UINT message, WPARAM wParam, const std::vector<LPARAM>& lParams) const {
    for (HWND window : progressWindows) postMessageRun(window, message, wParam, lParams.data(), lParams.size());
}

HWND Importer::finalWindow() const {
    return batchMode ? batchWindow : LibraryWindows::instance().window(LibraryWindows::Which::Main);
}

}  // namespace wd
