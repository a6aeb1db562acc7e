#include "platform/wmrt/wm_reader.h"

#include <system_error>

#include "platform/wmrt/wm_text.h"

namespace wd::wm {

WmReader::~WmReader() { Close(); }

HRESULT WmReader::Open(const std::u16string& url, WmReaderCallback* callback, void* context) {
    if (url.empty() || !callback) return E_INVALIDARG;
    if (thread_.joinable()) return E_UNEXPECTED;
    callback_ = callback;
    context_ = context;
    std::lock_guard lock(mutex_);
    commands_.assign(1, Command::Open);
    try {
        thread_ = std::thread(&WmReader::run, this, narrowText(url));
    } catch (const std::system_error&) {
        commands_.clear();
        return E_OUTOFMEMORY;
    }
    runtime_ = true;
    return S_OK;
}

HRESULT WmReader::Close() {
    if (thread_.joinable()) {
        if (onRuntimeThread()) return E_UNEXPECTED;
        closing_ = true;  // interrupts a read or an open under way
        post(Command::Quit);
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    runtime_ = false;
    commands_.clear();
    source_.reset();
    closing_ = false;
    running_ = false;
    userClock_ = false;
    waitingForTime_ = false;
    held_.reset();
    callback_ = nullptr;
    return S_OK;
}

HRESULT WmReader::GetOutputCount(DWORD* outputs) const {
    if (!outputs) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    if (!source_) return E_UNEXPECTED;
    *outputs = static_cast<DWORD>(source_->outputs().size());
    return S_OK;
}

HRESULT WmReader::GetOutputProps(DWORD output, std::unique_ptr<WmOutputMediaProps>* props) const {
    if (!props) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    if (!source_) return E_UNEXPECTED;
    if (output >= source_->outputs().size()) return ASF_E_NOTFOUND;
    *props = std::make_unique<WmOutputMediaProps>(source_->outputs()[output].mediaType);
    return S_OK;
}

HRESULT WmReader::Start(QWORD start, QWORD duration, float rate, void*) {
    if (start != 0 || duration != 0 || rate != 1.0f) return NS_E_INVALID_REQUEST;
    {
        std::lock_guard lock(mutex_);
        if (!source_) return E_UNEXPECTED;
    }
    post(Command::Start);
    return S_OK;
}

HRESULT WmReader::Stop() {
    // Callbacks stop their reader: the runtime thread's state is read under the lock only.
    std::lock_guard lock(mutex_);
    if (!runtime_) return E_UNEXPECTED;
    commands_.push_back(Command::Stop);
    wake_.notify_all();
    return S_OK;
}

HRESULT WmReader::GetAttributeByName(WORD* stream, const char16_t* name, WmtAttrDataType* type, BYTE* value,
                                     WORD* length) const {
    if (!stream || !name || !type || !length) return E_INVALIDARG;
    std::lock_guard lock(mutex_);
    if (!source_) return E_UNEXPECTED;
    const std::optional<QWORD> duration = source_->duration();
    if (*stream != 0 || std::u16string_view(name) != u"Duration" || !duration) return ASF_E_NOTFOUND;
    *type = WMT_TYPE_QWORD;
    if (value) {
        if (*length < sizeof(QWORD)) return E_INVALIDARG;
        for (size_t i = 0; i < sizeof(QWORD); ++i) value[i] = static_cast<BYTE>(*duration >> (8 * i));
    }
    *length = sizeof(QWORD);
    return S_OK;
}

HRESULT WmReader::SetUserProvidedClock(BOOL userClock) {
    std::lock_guard lock(mutex_);
    userClock_ = userClock != FALSE;
    wake_.notify_all();
    return S_OK;
}

HRESULT WmReader::DeliverTime(QWORD time) {
    std::lock_guard lock(mutex_);
    clock_ = time;
    waitingForTime_ = false;
    wake_.notify_all();
    return S_OK;
}

void WmReader::post(Command command) {
    std::lock_guard lock(mutex_);
    commands_.push_back(command);
    wake_.notify_all();
}

void WmReader::run(std::string path) {
    bool readFrom = false;  // a second Start opens the file again: the stand-in cannot seek
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return !commands_.empty() || (running_ && !waitingForTime_); });
        if (commands_.empty()) {
            lock.unlock();
            deliverOne();
            readFrom = true;
            lock.lock();
            continue;
        }
        const Command command = commands_.front();
        commands_.pop_front();
        switch (command) {
            case Command::Open:
            case Command::Start: {
                HRESULT hr = S_OK;
                if (command == Command::Open || readFrom) {
                    lock.unlock();
                    std::unique_ptr<AsfSource> source;
                    hr = AsfSource::open(path, closing_, source);
                    lock.lock();
                    if (succeeded(hr)) source_ = std::move(source);
                    readFrom = false;
                }
                if (command == Command::Start && source_) {
                    running_ = true;
                    waitingForTime_ = false;
                    held_.reset();
                    clock_ = 0;
                }
                lock.unlock();
                callback_->OnStatus(command == Command::Open ? WMT_OPENED : WMT_STARTED, hr, WMT_TYPE_DWORD, nullptr, context_);
                lock.lock();
                break;
            }
            case Command::Stop:
                running_ = false;
                held_.reset();
                lock.unlock();
                callback_->OnStatus(WMT_STOPPED, S_OK, WMT_TYPE_DWORD, nullptr, context_);
                lock.lock();
                break;
            case Command::Quit:
                running_ = false;
                lock.unlock();
                callback_->OnStatus(WMT_CLOSED, S_OK, WMT_TYPE_DWORD, nullptr, context_);
                return;
        }
    }
}

void WmReader::deliverOne() {
    AsfSource::Chunk chunk;
    std::optional<AsfSource::Chunk> held;
    {
        std::lock_guard lock(mutex_);
        held.swap(held_);
    }
    const AsfSource::Step step = held ? AsfSource::Step::Sample : source_->next(chunk);
    if (held) chunk = std::move(*held);
    std::unique_lock lock(mutex_);
    if (closing_) {
        running_ = false;
        return;
    }
    if (step == AsfSource::Step::Sample) {
        if (userClock_ && chunk.time >= clock_) {
            held_ = std::move(chunk);
            waitingForTime_ = true;
            const QWORD reached = clock_;
            lock.unlock();
            callback_->OnTime(reached, context_);
            return;
        }
        lock.unlock();
        WmBuffer buffer(std::move(chunk.bytes));
        callback_->OnSample(chunk.output, chunk.time, chunk.duration, 0, &buffer, context_);
        return;
    }
    running_ = false;
    lock.unlock();
    switch (step) {
        case AsfSource::Step::End:
            callback_->OnStatus(WMT_END_OF_FILE, S_OK, WMT_TYPE_DWORD, nullptr, context_);
            break;
        case AsfSource::Step::MissingCodec:
            callback_->OnStatus(WMT_MISSING_CODEC, NS_E_INVALID_DATA, WMT_TYPE_DWORD, nullptr, context_);
            break;
        default:
            callback_->OnStatus(WMT_ERROR, source_->failure(), WMT_TYPE_DWORD, nullptr, context_);
            break;
    }
}

}  // namespace wd::wm
