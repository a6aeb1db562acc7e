#include "model/recovery.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "model/block_factory.h"
#include "model/block_folder.h"
#include "model/block_summary.h"
#include "model/journal.h"
#include "platform/files/file_io.h"

namespace wd {
namespace {

struct BlockRecord {
    char kind = 'd';  // d: block file, s: silence, f: frames of a sound file
    int samples = 0;
    std::string path;
    BlockFile::SourceOrigin origin;
    std::string key() const {
        return std::string(1, kind) + std::to_string(samples) + "|" + path + "|" + origin.path + "|" +
               std::to_string(origin.channel) + "|" + std::to_string(origin.firstFrame);
    }
};

struct ChannelRecord {
    int selStart = 0, selLength = 0, selected = 1, viewColumns = 0, viewHeight = 0;
    int rateWord = 0, viewStart = 0, fit = 0;
    std::vector<BlockRecord> blocks;
};

struct StateRecord {
    std::string name;
    int rate = 0, fit = 0, zoom = 1, spc = 0, viewColumns = 0, viewStart = 0;
    std::vector<ChannelRecord> channels;
    int length() const {
        int64_t longest = 0;
        for (const ChannelRecord& c : channels) {
            int64_t n = 0;
            for (const BlockRecord& b : c.blocks) n += b.samples;
            longest = std::max(longest, n);
        }
        return static_cast<int>(longest);
    }
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

bool expect(std::istream& in, const char* word) {
    std::string w;
    return static_cast<bool>(in >> w) && w == word;
}

bool readField(std::istream& in, std::string& out) {
    size_t n = 0;
    char colon = 0;
    if (!(in >> n) || !in.get(colon) || colon != ':' || n > 1 << 20) return false;
    out.assign(n, '\0');
    return n == 0 || static_cast<bool>(in.read(out.data(), static_cast<std::streamsize>(n)));
}

bool parseState(const std::string& text, StateRecord& s) {
    std::istringstream in(text);
    int version = 0, channels = 0;
    if (!expect(in, "state") || !(in >> version) || version != 1 || !expect(in, "name") || !readField(in, s.name) ||
        !expect(in, "rate") || !(in >> s.rate) || !expect(in, "view") ||
        !(in >> s.fit >> s.zoom >> s.spc >> s.viewColumns >> s.viewStart) || !expect(in, "channels") ||
        !(in >> channels) || channels < 1 || channels > 2)
        return false;
    std::string word;
    if (!(in >> word)) return false;
    for (int i = 0; i < channels; ++i) {
        ChannelRecord c;
        if (word != "channel" || !(in >> c.selStart >> c.selLength >> c.selected >> c.viewColumns >> c.viewHeight >>
                                   c.rateWord >> c.viewStart >> c.fit))
            return false;
        while (in >> word && (word == "d" || word == "s" || word == "f")) {
            BlockRecord b;
            b.kind = word[0];
            if (!(in >> b.samples) || b.samples < 1 || b.samples > BlockFile::kMaxSamples) return false;
            if (b.kind == 'd' && !readField(in, b.path)) return false;
            if (b.kind == 'f' && !(in >> b.origin.channel >> b.origin.firstFrame >> b.origin.size >> b.origin.modifiedNs &&
                                   readField(in, b.origin.path)))
                return false;
            c.blocks.push_back(std::move(b));
        }
        s.channels.push_back(std::move(c));
    }
    return word == "end";
}

// The size and modification time in nanoseconds of the file at path; false when it
// cannot be looked at.
bool identify(const std::string& path, int64_t& size, int64_t& modifiedNs) {
    const int fd = openForReading(path);
    if (fd < 0) return false;
    FileIdentity identity;
    const bool known = identifyFile(fd, identity);
    closeFile(fd);
    size = identity.size;
    modifiedNs = identity.modifiedSeconds * 1000000000 + identity.modifiedNanoseconds;
    return known;
}

}  // namespace

struct Recovery::Manifest {
    StateRecord live;
    std::vector<StateRecord> undo, redo;
};

struct Recovery::Entry {
    size_t session = 0;
    Manifest manifest;
    Offer offer;
};

namespace {

// Reads a manifest and its states, and checks that every block it names is whole.
Recovery::Problem readManifest(const std::string& folder, const std::string& file, Recovery::Manifest& m) {
    const std::string text = readFile(folder + "/" + file);
    std::istringstream in(text);
    int version = 0;
    if (!expect(in, "journal") || !(in >> version) || version != 1) return Recovery::Problem::Damaged;
    std::string word, name;
    bool ended = false;
    while (in >> word >> name) {
        if (word == "end") break;
        StateRecord s;
        if (!parseState(readFile(folder + "/" + name), s)) return Recovery::Problem::Damaged;
        // Block files are named by the journal's links beside it.
        for (ChannelRecord& c : s.channels) {
            for (BlockRecord& b : c.blocks) {
                if (b.kind == 'd') b.path = folder + "/" + b.path;
            }
        }
        if (word == "live") {
            m.live = std::move(s);
        } else if (word == "undo") {
            m.undo.push_back(std::move(s));
        } else if (word == "redo") {
            m.redo.push_back(std::move(s));
        } else {
            return Recovery::Problem::Damaged;
        }
    }
    ended = word == "end";
    if (!ended || m.live.channels.empty()) return Recovery::Problem::Damaged;
    std::map<std::string, bool> checked;
    bool changed = false;
    auto check = [&](const StateRecord& s) {
        for (const ChannelRecord& c : s.channels) {
            for (const BlockRecord& b : c.blocks) {
                if (b.kind == 's' || checked.count(b.key())) continue;
                int64_t size = -1, modified = 0;
                bool whole = false;
                if (b.kind == 'd') {
                    whole = identify(b.path, size, modified) &&
                            size == BlockSummary::bytesFor(b.samples) + static_cast<int64_t>(b.samples) * 4;
                } else {
                    whole = identify(b.origin.path, size, modified) && size == b.origin.size &&
                            modified == b.origin.modifiedNs;
                    changed = changed || !whole;
                    whole = true;
                }
                checked[b.key()] = whole;
                if (!whole) return false;
            }
        }
        return true;
    };
    if (!check(m.live)) return Recovery::Problem::Damaged;
    for (const auto* list : {&m.undo, &m.redo}) {
        for (const StateRecord& s : *list) {
            if (!check(s)) return Recovery::Problem::Damaged;
        }
    }
    return changed ? Recovery::Problem::SourceChanged : Recovery::Problem::None;
}

// Fills track from a state; blocks come from (and go into) made, by their record.
bool buildState(const StateRecord& s, Track& track, std::map<std::string, BlockFile*>& made,
                const Recovery::SourceOpener& openSource) {
    track.setName(s.name);
    track.sampleRate = s.rate;
    track.fitSamplesPerColumn = s.fit;
    track.zoomFactor = s.zoom;
    track.samplesPerColumn = s.spc;
    track.viewColumns = s.viewColumns;
    track.viewStart = s.viewStart;
    if (track.setChannelCount(static_cast<int>(s.channels.size())) < 0) return false;
    for (size_t i = 0; i < s.channels.size(); ++i) {
        const ChannelRecord& r = s.channels[i];
        Channel& c = *track.channel(static_cast<int>(i));
        c.selStart = r.selStart;
        c.selLength = r.selLength;
        c.selectedFlag = r.selected != 0;
        c.viewColumns = r.viewColumns;
        c.viewHeight = r.viewHeight;
        c.viewRecord = {r.rateWord, r.viewStart, r.fit};
        for (const BlockRecord& b : r.blocks) {
            BlockFile*& block = made[b.key()];
            if (!block) {
                if (b.kind == 'd') {
                    block = BlockFactory::instance().adopt(b.path, b.samples);
                } else if (b.kind == 'f') {
                    block = openSource(b.origin, b.samples);
                } else if ((block = BlockFactory::instance().create(BlockFile::Kind::Silent))) {
                    block->write(nullptr, b.samples * 4);
                }
                if (!block) return false;
            }
            block->addRef();
            if (c.sequence().appendBlock(block) < 0) return false;
        }
    }
    return true;
}

}  // namespace

Recovery& Recovery::instance() {
    static Recovery* recovery = new Recovery;
    return *recovery;
}

void Recovery::scan(const std::string& tempFolder) {
    if (tempFolder.empty() || std::find(scanned_.begin(), scanned_.end(), tempFolder) != scanned_.end()) return;
    scanned_.push_back(tempFolder);
    for (const BlockFolder::Abandoned& a : BlockFolder::lockAbandoned(tempFolder, Journal::kSuffix)) {
        Session session{a.folder, a.lock, 0};
        std::error_code error;
        // A track has its manifest, its flushed one, or both (a power cut may have lost the
        // first).
        std::set<uint32_t> ids;
        for (const auto& file : std::filesystem::directory_iterator(a.folder, error)) {
            const std::string name = file.path().filename().string();
            unsigned id = 0;
            char tail[16] = {};
            if (std::sscanf(name.c_str(), "track-%u%15s", &id, tail) != 2) continue;
            if (name == Journal::manifestName(id) || name == Journal::flushedManifestName(id)) ids.insert(id);
        }
        for (const uint32_t id : ids) {
            auto entry = std::make_shared<Entry>();
            entry->session = sessions_.size();
            Problem problem = readManifest(a.folder, Journal::manifestName(id), entry->manifest);
            if (problem == Problem::Damaged) {
                entry->manifest = {};
                problem = readManifest(a.folder, Journal::flushedManifestName(id), entry->manifest);
            }
            entry->offer = {entry->manifest.live.name, entry->manifest.live.length(), problem};
            entries_.push_back(std::move(entry));
            ++session.left;
        }
        if (session.left == 0) {
            std::filesystem::remove_all(a.folder, error);
            closeFile(a.lock);
            continue;
        }
        sessions_.push_back(session);
    }
}

int Recovery::sessionCount() const {
    return static_cast<int>(std::count_if(sessions_.begin(), sessions_.end(), [](const Session& s) { return s.left > 0; }));
}

int Recovery::trackCount() const { return static_cast<int>(entries_.size()); }

const Recovery::Offer* Recovery::offer(int index) const {
    if (index < 0 || index >= trackCount()) return nullptr;
    return &entries_[static_cast<size_t>(index)]->offer;
}

bool Recovery::recover(int index, Track& track, std::vector<std::unique_ptr<Track>>& undo,
                       std::vector<std::unique_ptr<Track>>& redo, const SourceOpener& openSource) {
    const Offer* o = offer(index);
    if (!o || o->problem != Problem::None) return false;
    const Manifest& m = entries_[static_cast<size_t>(index)]->manifest;
    std::map<std::string, BlockFile*> made;
    auto build = [&](const std::vector<StateRecord>& states, std::vector<std::unique_ptr<Track>>& out) {
        for (const StateRecord& s : states) {
            auto state = std::make_unique<Track>();
            state->setId(track.id());
            if (!buildState(s, *state, made, openSource)) return false;
            out.push_back(std::move(state));
        }
        return true;
    };
    std::vector<std::unique_ptr<Track>> undoStates, redoStates;
    Track live;
    const bool built = buildState(m.live, live, made, openSource) && build(m.undo, undoStates) && build(m.redo, redoStates);
    // Each user took its own reference; the one each block was made with goes.
    for (auto& [key, block] : made) {
        if (block) block->release();
    }
    if (!built) return false;
    live.setId(track.id());
    track.assignFrom(&live);
    undo = std::move(undoStates);
    redo = std::move(redoStates);
    withdraw(static_cast<size_t>(index));
    return true;
}

void Recovery::discardAll() {
    while (!entries_.empty()) withdraw(entries_.size() - 1);
}

void Recovery::withdraw(size_t index) {
    Session& session = sessions_[entries_[index]->session];
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    if (--session.left > 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(session.folder, ignored);
    closeFile(session.lock);
    session.lock = -1;
}

}  // namespace wd
