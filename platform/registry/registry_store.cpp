#include "platform/registry/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

namespace wd::platform {
namespace {

constexpr uint32_t kTypeString = 1;
constexpr uint32_t kTypeDword = 4;

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char buf[5];
                    std::snprintf(buf, sizeof buf, "\\x%02x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted, escaped text starting at s[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> unquote(const std::string& s, size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') return std::nullopt;
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= s.size()) return std::nullopt;
        switch (s[pos]) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x': {
                if (pos + 2 >= s.size()) return std::nullopt;
                int hi = hexDigit(s[pos + 1]), lo = hexDigit(s[pos + 2]);
                if (hi < 0 || lo < 0) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                pos += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string formatValue(const RegistryValue& v) {
    if (v.type == kTypeDword && v.data.size() == 4) {
        uint32_t d = static_cast<uint32_t>(v.data[0]) | static_cast<uint32_t>(v.data[1]) << 8 |
                     static_cast<uint32_t>(v.data[2]) << 16 | static_cast<uint32_t>(v.data[3]) << 24;
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", d);
        return buf;
    }
    if (v.type == kTypeString && !v.data.empty() && v.data.back() == 0 &&
        std::memchr(v.data.data(), 0, v.data.size() - 1) == nullptr) {
        return "sz:\"" + escape(std::string(v.data.begin(), v.data.end() - 1)) + "\"";
    }
    std::string out = "hex(" + std::to_string(v.type) + "):";
    for (size_t i = 0; i < v.data.size(); ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
        out += buf;
    }
    return out;
}

std::optional<RegistryValue> parseValue(const std::string& s) {
    RegistryValue v;
    if (s.rfind("dword:", 0) == 0) {
        std::string digits = s.substr(6);
        if (digits.size() != 8) return std::nullopt;
        uint32_t d = 0;
        for (char c : digits) {
            int h = hexDigit(c);
            if (h < 0) return std::nullopt;
            d = d << 4 | static_cast<uint32_t>(h);
        }
        v.type = kTypeDword;
        v.data = {static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d >> 16),
                  static_cast<uint8_t>(d >> 24)};
        return v;
    }
    if (s.rfind("sz:", 0) == 0) {
        size_t pos = 3;
        auto text = unquote(s, pos);
        if (!text || pos != s.size()) return std::nullopt;
        v.type = kTypeString;
        v.data.assign(text->begin(), text->end());
        v.data.push_back(0);
        return v;
    }
    if (s.rfind("hex(", 0) == 0) {
        size_t close = s.find("):");
        if (close == std::string::npos) return std::nullopt;
        char* end = nullptr;
        unsigned long type = std::strtoul(s.c_str() + 4, &end, 10);
        if (end != s.c_str() + close || type > 0xffffffffUL) return std::nullopt;
        v.type = static_cast<uint32_t>(type);
        std::string bytes = s.substr(close + 2);
        for (size_t i = 0; i < bytes.size();) {
            if (i + 2 > bytes.size()) return std::nullopt;
            int hi = hexDigit(bytes[i]), lo = hexDigit(bytes[i + 1]);
            if (hi < 0 || lo < 0) return std::nullopt;
            v.data.push_back(static_cast<uint8_t>(hi * 16 + lo));
            i += 2;
            if (i < bytes.size()) {
                if (bytes[i] != ',') return std::nullopt;
                ++i;
            }
        }
        return v;
    }
    return std::nullopt;
}

std::mutex& processMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

RegistryStore*& processStore() {
    static RegistryStore* store = nullptr;
    return store;
}

bool ensureParentFolder(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return true;
    std::string folder = path.substr(0, slash);
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '/') {
            std::string part = folder.substr(0, i);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Holds an advisory lock on "<store>.lock" for one read-modify-write.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

// Splits "a\b\\c" into its non-empty parts.
std::vector<std::string> keyParts(const std::string& key) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : key) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string joinKey(const std::vector<std::string>& parts, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        if (i) out += '\\';
        out += parts[i];
    }
    return out;
}

}  // namespace

RegistryStore::RegistryStore(std::string path) : path_(std::move(path)) {}

std::string RegistryStore::defaultPath() {
    if (const char* p = std::getenv("WAVEDECK_REGISTRY"); p && *p) return p;
    std::string config;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
        config = x;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = std::string(home) + "/.config";
    } else {
        config = "/tmp";
    }
    return config + "/wavedeck/registry";
}

RegistryStore& RegistryStore::process() {
    std::lock_guard lock(processMutex());
    RegistryStore*& store = processStore();
    if (!store) store = new RegistryStore(defaultPath());
    return *store;
}

void RegistryStore::setProcessPath(const std::string& path) {
    std::lock_guard lock(processMutex());
    // Earlier stores stay alive: handles handed out may still point at them.
    static auto* retired = new std::vector<RegistryStore*>;
    if (processStore()) retired->push_back(processStore());
    processStore() = new RegistryStore(path);
}

RegistryStore::Contents RegistryStore::parse(const std::string& text) {
    Contents c;
    std::istringstream in(text);
    std::string line;
    Contents::Key* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.size() < 3 || line.back() != ']') {
                c.malformed = true;
                current = nullptr;
                continue;
            }
            auto parts = keyParts(line.substr(1, line.size() - 2));
            std::string spelling = joinKey(parts, parts.size());
            if (spelling.empty()) {
                c.malformed = true;
                current = nullptr;
                continue;
            }
            current = &c.keys[lower(spelling)];
            current->spelling = spelling;
            continue;
        }
        size_t pos = 0;
        auto name = unquote(line, pos);
        if (!current || !name || pos >= line.size() || line[pos] != '=') {
            c.malformed = true;
            continue;
        }
        auto value = parseValue(line.substr(pos + 1));
        if (!value) {
            c.malformed = true;
            continue;
        }
        current->values[lower(*name)] = {*name, *value};
    }
    return c;
}

std::string RegistryStore::format(const Contents& contents) {
    std::string out = "# WaveDeck settings. Written by the library; edit only while it is not running.\n";
    for (const auto& [id, key] : contents.keys) {
        out += "\n[" + key.spelling + "]\n";
        for (const auto& [vid, entry] : key.values) {
            out += "\"" + escape(entry.first) + "\"=" + formatValue(entry.second) + "\n";
        }
    }
    return out;
}

namespace {

// The settings of a program fit in a few kilobytes; anything much larger is not a store.
constexpr off_t kMaxStoreBytes = 16 * 1024 * 1024;

enum class Read { Missing, Read, Refused };

// Reads the whole store, when it is a regular file of reasonable size. A FIFO, a device
// (a link to /dev/zero) or a huge file is refused without waiting or reading it.
Read readStore(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? Read::Missing : Read::Refused;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxStoreBytes) {
        ::close(fd);
        return Read::Refused;
    }
    text.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    text.resize(done);
    return Read::Read;
}

}  // namespace

RegistryStore::Contents RegistryStore::load() const {
    std::string text;
    switch (readStore(path_, text)) {
        case Read::Missing: return {};
        case Read::Refused: {
            Contents refused;
            refused.unreadable = true;
            return refused;
        }
        case Read::Read: break;
    }
    return parse(text);
}

bool RegistryStore::store(Contents& contents, bool sourceWasMalformed) {
    if (!ensureParentFolder(path_)) return false;
    std::string original;
    if (sourceWasMalformed && readStore(path_, original) == Read::Read) {
        // Keep what could not be understood; a later clean rewrite must not erase it.
        std::ofstream dst(path_ + ".corrupt", std::ios::binary | std::ios::trunc);
        dst << original;
    }
    std::string text = format(contents);
    std::string temp = path_ + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

template <typename Change>
bool RegistryStore::modify(Change change) {
    if (!ensureParentFolder(path_)) return false;
    FileLock lock(path_);
    Contents contents = load();
    if (contents.unreadable) return false;
    bool malformed = contents.malformed;
    if (!change(contents)) return false;
    return store(contents, malformed);
}

bool RegistryStore::keyExists(const std::string& key) const {
    auto parts = keyParts(key);
    if (parts.empty()) return false;
    return load().keys.count(lower(joinKey(parts, parts.size()))) != 0;
}

bool RegistryStore::createKey(const std::string& key) {
    auto parts = keyParts(key);
    if (parts.empty()) return false;
    return modify([&](Contents& c) {
        for (size_t n = 1; n <= parts.size(); ++n) {
            std::string spelling = joinKey(parts, n);
            auto& k = c.keys[lower(spelling)];
            if (k.spelling.empty()) k.spelling = spelling;
        }
        return true;
    });
}

std::optional<RegistryValue> RegistryStore::value(const std::string& key, const std::string& name) const {
    auto parts = keyParts(key);
    Contents c = load();
    auto k = c.keys.find(lower(joinKey(parts, parts.size())));
    if (k == c.keys.end()) return std::nullopt;
    auto v = k->second.values.find(lower(name));
    if (v == k->second.values.end()) return std::nullopt;
    return v->second.second;
}

bool RegistryStore::setValue(const std::string& key, const std::string& name, const RegistryValue& value) {
    auto parts = keyParts(key);
    if (parts.empty()) return false;
    return modify([&](Contents& c) {
        auto k = c.keys.find(lower(joinKey(parts, parts.size())));
        if (k == c.keys.end()) return false;
        k->second.values[lower(name)] = {name, value};
        return true;
    });
}

}  // namespace wd::platform
