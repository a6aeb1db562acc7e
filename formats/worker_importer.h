// Base of the readers that read on one worker thread of their own.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "formats/importer.h"

namespace wd {

/**
 * Start remembers the path and runs run() on a new worker; Cancel sets the flag the
 * worker reads between chunks and waits for the worker, which reports the cancel itself
 * (1425, once). A derived class's destructor must call Cancel: the worker uses the
 * derived object.
 */
class WorkerImporter : public Importer {
public:
    /** @returns false, with 1426 and 1127 posted, when no thread can be started. */
    bool Start(const std::string& path) override;
    void Cancel() override;

protected:
    WorkerImporter() = default;
    /** The worker: reads path() into a new Track and posts the end messages. */
    virtual void run() = 0;
    const std::string& path() const { return path_; }
    bool cancelled() const { return cancelled_; }

private:
    std::string path_;
    std::atomic<bool> cancelled_{true};
    std::thread thread_;
};

}  // namespace wd
