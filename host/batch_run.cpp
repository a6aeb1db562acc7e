#include "batch_run.h"

#include <filesystem>
#include <memory>

#include "progress_bar.h"
#include "wavedeck_messages.h"

namespace host {

std::vector<BatchOutcome> runBatch(Session& session, const std::vector<std::string>& files, const std::string& folder,
                                   int type, const std::function<bool()>& interrupted) {
    std::vector<BatchOutcome> outcomes;
    std::vector<size_t> listed;  // the outcomes of the files handed to the converter, in list order
    WDXInitBatchConvert();
    WDXSetProgHWND(session.progress());
    WDXSetOutputDir(folder.c_str());
    WDXSetOutputType(type);
    for (const std::string& file : files) {
        outcomes.push_back({file, ""});
        if (!std::filesystem::is_regular_file(file)) {
            outcomes.back().problem = "not found, or not a file";
            continue;
        }
        WDXAddFiles(file.c_str());
        listed.push_back(outcomes.size() - 1);
    }

    // Each file ends with exactly one of 1129, 1127, 1146 or 1145; the bar follows the
    // reading into its first half and the writing into its second.
    size_t current = 0;
    bool done = false;
    std::unique_ptr<ProgressBar> bar;
    auto barOfCurrent = [&]() -> ProgressBar& {
        if (!bar) bar = std::make_unique<ProgressBar>(std::filesystem::path(outcomes[listed[current]].file).filename().string());
        return *bar;
    };
    auto endCurrent = [&](const std::string& problem) {
        if (current >= listed.size()) return;
        outcomes[listed[current]].problem = problem;
        barOfCurrent().finish(!problem.empty());
        bar.reset();
        ++current;
    };
    session.onNote([&](const Note& note) {
        if (note.window != session.progress()) return;
        const auto total = static_cast<unsigned long long>(note.wParam);
        const auto amount = static_cast<unsigned long long>(note.lParam);
        switch (note.message) {
            case NotifyImportProgress:
                if (current < listed.size() && total) barOfCurrent().update(amount, 2 * total);
                break;
            case NotifySaveProgress:
                if (current < listed.size() && total) barOfCurrent().update(total + amount, 2 * total);
                break;
            case NotifyUnsupportedFile:
                endCurrent("no reader for its name: WaveDeck reads .wav, .aiff, .mp3, .mp2, .mp1 and .ogg files");
                break;
            case NotifyImportFailed:
                endCurrent("could not be read: it is unreadable, damaged or not the sound file its name says");
                break;
            case NotifySaveFailed:
                endCurrent("could not be written: the folder cannot be written, or the encoder refused the sound");
                break;
            case NotifySaveDone:
                endCurrent("");
                break;
            case NotifyBatchDone:
                done = true;
                break;
            default:
                break;
        }
    });
    WDXBeginConvert();
    session.pumpUntil([&] { return done || interrupted(); }, std::chrono::hours(24 * 365));
    if (!done) {
        WDXCancelConvert();
        while (current < listed.size()) endCurrent("not converted: cancelled");
    }
    session.onNote({});
    WDXUninitBatchConvert();
    return outcomes;
}

}  // namespace host
