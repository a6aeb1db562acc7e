#include "model/journal.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <set>
#include <thread>

#include "model/block_factory.h"
#include "model/block_folder.h"
#include "model/track_list.h"
#include "model/undo_history.h"
#include "platform/files/file_io.h"

namespace wd {
namespace {

std::string number(int64_t v) { return std::to_string(v); }

// A text field of any content: its byte count, a colon, the bytes.
std::string field(const std::string& text) { return number(static_cast<int64_t>(text.size())) + ":" + text; }

// FNV-1a: names state files after their content.
uint64_t contentHash(const std::string& text) {
    uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

bool writeAll(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        const long n = writeFile(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// One holder of key less; true when it was the last (its entry is gone).
bool lastHolder(std::map<std::string, int>& holders, const std::string& key) {
    auto it = holders.find(key);
    if (it == holders.end() || --it->second > 0) return false;
    holders.erase(it);
    return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".tmp";
    const int fd = createPrivateFile(temporary);
    if (fd < 0) return false;
    const bool written = writeAll(fd, content);
    if (!closeFile(fd) || !written || !replaceFile(temporary, path)) {
        removeFile(temporary);
        return false;
    }
    return true;
}

Journal& Journal::instance() {
    static Journal* journal = new Journal;
    return *journal;
}

std::string Journal::manifestName(uint32_t id) { return "track-" + std::to_string(id) + kSuffix; }

std::string Journal::flushedManifestName(uint32_t id) {
    return "track-" + std::to_string(id) + ".flushed" + kSuffix;
}

std::string Journal::stateText(const Track& track, std::vector<std::pair<std::string, std::string>>& links) {
    std::string text = "state 1\nname " + field(track.name()) + "\nrate " + number(track.sampleRate) + "\nview " +
                       number(track.fitSamplesPerColumn) + " " + number(track.zoomFactor) + " " +
                       number(track.samplesPerColumn) + " " + number(track.viewColumns) + " " +
                       number(track.viewStart) + "\nchannels " + number(track.channelCount()) + "\n";
    for (int i = 0; i < track.channelCount(); ++i) {
        const Channel& c = *track.channel(i);
        text += "channel " + number(c.selStart) + " " + number(c.selLength) + " " + number(c.selectedFlag ? 1 : 0) +
                " " + number(c.viewColumns) + " " + number(c.viewHeight) + " " + number(c.viewRecord.sampleRate) +
                " " + number(c.viewRecord.viewStart) + " " + number(c.viewRecord.fitSamplesPerColumn) + "\n";
        c.sequence().visitBlocks([&text, &links](const BlockFile& block) {
            BlockFile::SourceOrigin origin;
            const std::string count = number(block.sampleCount());
            if (block.sourceOrigin(origin)) {
                text += "f " + count + " " + number(origin.channel) + " " + number(origin.firstFrame) + " " +
                        number(origin.size) + " " + number(origin.modifiedNs) + " " + field(origin.path) + "\n";
            } else if (block.kind() == BlockFile::Kind::Silent) {
                text += "s " + count + "\n";
            } else {
                const std::string link = "b-" + std::to_string(block.serial());
                links.emplace_back(block.path(), link);
                text += "d " + count + " " + field(link) + "\n";
            }
        });
    }
    return text + "end\n";
}

std::string Journal::writeState(const Track& state) {
    std::vector<std::pair<std::string, std::string>> links;
    const std::string text = stateText(state, links);
    char name[40];
    std::snprintf(name, sizeof name, "state-%016" PRIx64 "%s", contentHash(text), kStateSuffix);
    const std::string path = folder_ + "/" + name;
    if (stateLinks_.count(name)) return name;
    std::vector<std::string> held;
    for (const auto& [block, link] : links) {
        if (!linkHolders_.count(link) && !linkFile(block, folder_ + "/" + link) && errno != EEXIST) break;
        ++linkHolders_[link];
        held.push_back(link);
    }
    if (held.size() != links.size() || !writeFileAtomically(path, text)) {
        dropLinks(held);
        return std::string();
    }
    bytesWritten_ += text.size();
    stateLinks_[name] = std::move(held);
    return name;
}

void Journal::hold(const std::vector<std::string>& files) {
    for (const std::string& f : files) ++holders_[f];
}

void Journal::drop(const std::vector<std::string>& files) {
    for (const std::string& f : files) {
        if (!lastHolder(holders_, f)) continue;
        removeFile(folder_ + "/" + f);
        auto links = stateLinks_.find(f);
        if (links == stateLinks_.end()) continue;
        dropLinks(links->second);
        stateLinks_.erase(links);
    }
}

void Journal::dropLinks(const std::vector<std::string>& links) {
    for (const std::string& link : links) {
        if (lastHolder(linkHolders_, link)) removeFile(folder_ + "/" + link);
    }
}

void Journal::record(const Track& track) {
    // Only the open tracks: a copy or a track of a tool that is not listed has nobody to
    // give it back to.
    if (TrackList::instance().findById(track.id()) != &track) return;
    const std::string temp = BlockFactory::instance().tempFolder();
    const std::string folder = temp.empty() ? std::string() : BlockFolder::instance().folderFor(temp);
    if (folder.empty()) return;
    std::lock_guard lock(mutex_);
    // The folder of the first record; a temporary folder changed later keeps the journal
    // where its earlier tracks are.
    if (folder_.empty()) folder_ = folder;
    TrackFiles& files = tracks_[track.id()];
    std::vector<std::string> states;
    std::vector<std::string> undo;
    std::vector<std::string> redo;
    std::map<uint64_t, std::string> named;
    bool failed = false;
    if (const TrackHistory* history = UndoHistory::instance().history(track.id())) {
        history->visitStates([&](const Track& state, bool isRedo) {
            auto known = files.named.find(state.instanceSerial());
            std::string name = known != files.named.end() ? known->second : writeState(state);
            failed = failed || name.empty();
            named[state.instanceSerial()] = name;
            (isRedo ? redo : undo).push_back(name);
            states.push_back(name);
        });
    }
    const std::string live = writeState(track);
    if (failed || live.empty()) return;
    states.push_back(live);
    std::string manifest = "journal 1\nlive " + live + "\n";
    for (const std::string& name : undo) manifest += "undo " + name + "\n";
    for (const std::string& name : redo) manifest += "redo " + name + "\n";
    manifest += "end\n";
    files.named = std::move(named);
    if (manifest == files.manifest) return;
    if (!writeFileAtomically(folder_ + "/" + manifestName(track.id()), manifest)) return;
    bytesWritten_ += manifest.size();
    hold(states);
    drop(files.states);
    files.states = std::move(states);
    files.manifest = std::move(manifest);
    dirty_ = true;
    startFlusher();
    changed_.notify_all();
}

void Journal::forget(uint32_t id) {
    std::lock_guard lock(mutex_);
    auto it = tracks_.find(id);
    if (it == tracks_.end()) return;
    removeFile(folder_ + "/" + manifestName(id));
    removeFile(folder_ + "/" + flushedManifestName(id));
    drop(it->second.states);
    drop(it->second.flushedStates);
    tracks_.erase(it);
}

bool Journal::flush() {
    // The flushed manifests are prepared, the file system synced, and only then are they
    // put in place: a flushed manifest never names a file that might not be on disk.
    std::map<uint32_t, std::vector<std::string>> pending;
    std::string folder;
    {
        std::lock_guard lock(mutex_);
        if (folder_.empty()) return true;
        folder = folder_;
        dirty_ = false;
        for (const auto& [id, files] : tracks_) {
            if (files.manifest.empty()) continue;
            if (!writeFileAtomically(folder_ + "/" + flushedManifestName(id) + ".next", files.manifest)) continue;
            hold(files.states);
            pending[id] = files.states;
        }
    }
    const bool synced = syncFileSystemOf(folder);
    std::lock_guard lock(mutex_);
    for (auto& [id, states] : pending) {
        const std::string next = folder_ + "/" + flushedManifestName(id) + ".next";
        auto it = tracks_.find(id);
        if (!synced || it == tracks_.end() || !replaceFile(next, folder_ + "/" + flushedManifestName(id))) {
            removeFile(next);
            drop(states);
            continue;
        }
        drop(it->second.flushedStates);
        it->second.flushedStates = std::move(states);
    }
    return synced && syncFolder(folder);
}

void Journal::startFlusher() {
    if (flusherStarted_) return;
    flusherStarted_ = true;
    // Lives as long as the process, as the journal does.
    std::thread([this] {
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return dirty_; });
            }
            std::this_thread::sleep_for(kFlushInterval);
            flush();
        }
    }).detach();
}

}  // namespace wd
