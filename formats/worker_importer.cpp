#include "formats/worker_importer.h"

#include <system_error>

#include "wavedeck_messages.h"

namespace wd {

bool WorkerImporter::Start(const std::string& path) {
    Cancel();
    path_ = path;
    cancelled_ = false;
    beginRead();
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        cancelled_ = true;
        setFailure(FileProblem::Other);
        PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
        NotifyProgressWindows(NotifyImportFailed, 0, 0);
        return false;
    }
    return true;
}

void WorkerImporter::Cancel() {
    cancelled_ = true;
    if (thread_.joinable()) thread_.join();
}

}  // namespace wd
