// Points the engine's temporary folder at a folder of the test's own for its lifetime.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace wdtest {

/**
 * Makes a fresh folder, makes it the block factory's temporary folder and
 * gives the previous folder back at the end. Block files made meanwhile go to the
 * process's private block folder inside it.
 */
class ModelTempFolder {
public:
    ModelTempFolder();
    ~ModelTempFolder();
    ModelTempFolder(const ModelTempFolder&) = delete;
    ModelTempFolder& operator=(const ModelTempFolder&) = delete;

    const std::string& path() const { return dir_.path(); }
    /** The process's private block folder inside path() (made when missing). */
    std::string blockFolder() const;
    /** Files in the block folder. */
    int blockFileCount() const;

private:
    TempDir dir_;
    std::string previous_;
};

}  // namespace wdtest
