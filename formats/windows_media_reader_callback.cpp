#include "formats/windows_media_reader_callback.h"

#include <system_error>

#include "formats/importer.h"
#include "model/sample_converter.h"
#include "model/track_list.h"
#include "platform/wmrt/wm_text.h"
#include "wavedeck_messages.h"

namespace wd {

using namespace wm;

WindowsMediaReaderCallback::WindowsMediaReaderCallback(Importer& importer) : importer_(importer) {}

WindowsMediaReaderCallback::~WindowsMediaReaderCallback() { close(); }

void WindowsMediaReaderCallback::close() {
    std::thread closer;
    {
        std::lock_guard lock(closeMutex_);
        closed_ = true;
        closer.swap(closer_);
    }
    if (closer.joinable()) closer.join();
    if (!reader_) return;
    reader_->Stop();
    reader_->Close();
}

void WindowsMediaReaderCallback::releaseReader() {
    std::lock_guard lock(closeMutex_);
    if (closed_ || closer_.joinable() || !reader_) return;
    try {
        closer_ = std::thread([this] {
            reader_->Stop();
            reader_->Close();
        });
    } catch (const std::system_error&) {
        // Without a thread the reader stays open until close().
    }
}

HRESULT WindowsMediaReaderCallback::open(const std::u16string& path) {
    if (path.empty()) return E_INVALIDARG;
    if (!reader_) return E_UNEXPECTED;
    name_ = narrowText(path);
    reader_->Close();
    path_ = path;
    {
        std::lock_guard lock(openedMutex_);
        opened_ = false;
    }
    HRESULT hr = reader_->Open(path_, this, nullptr);
    if (failed(hr)) return hr;
    {
        std::unique_lock lock(openedMutex_);
        openedChanged_.wait(lock, [this] { return opened_; });
        opened_ = false;
        hr = openResult_;
    }
    if (succeeded(hr)) hr = findAudioOutput();
    if (succeeded(hr)) hr = readDuration();
    if (failed(hr)) reader_->Close();
    return hr;
}

HRESULT WindowsMediaReaderCallback::findAudioOutput() {
    DWORD outputs = 0;
    if (HRESULT hr = reader_->GetOutputCount(&outputs); failed(hr)) return hr;
    for (DWORD i = 0; i < outputs; ++i) {
        std::unique_ptr<WmOutputMediaProps> props;
        MediaType type;
        if (failed(reader_->GetOutputProps(i, &props)) || failed(props->GetMediaType(&type))) continue;
        if (type.majorType != MajorType::Audio) continue;
        const WaveFormat& w = type.wave;
        // The Track holds one or two channels of 8- or 16-bit PCM.
        if (type.formatType != FormatType::WaveFormatEx || w.samplesPerSec == 0 || w.channels < 1 || w.channels > 2 ||
            (w.bitsPerSample != 8 && w.bitsPerSample != 16)) {
            return E_UNEXPECTED;
        }
        audioOutput_ = i;
        sampleRate_ = static_cast<int>(w.samplesPerSec);
        channels_ = w.channels;
        bitsPerSample_ = w.bitsPerSample;
        return S_OK;
    }
    return E_UNEXPECTED;
}

HRESULT WindowsMediaReaderCallback::readDuration() {
    WORD stream = 0;
    WmtAttrDataType type = WMT_TYPE_QWORD;
    BYTE value[sizeof(QWORD)] = {};
    WORD length = sizeof value;
    const HRESULT hr = reader_->GetAttributeByName(&stream, u"Duration", &type, value, &length);
    if (hr == ASF_E_NOTFOUND) return S_OK;
    if (failed(hr)) return hr;
    QWORD duration = 0;
    for (size_t i = 0; i < sizeof value; ++i) duration |= static_cast<QWORD>(value[i]) << (8 * i);
    expectedFrames_ = static_cast<uint32_t>(duration / kUnitsPerSecond * static_cast<QWORD>(sampleRate_));
    return S_OK;
}

HRESULT WindowsMediaReaderCallback::OnStatus(WmtStatus status, HRESULT result, WmtAttrDataType, BYTE*, void*) {
    switch (status) {
        case WMT_OPENED: {
            std::lock_guard lock(openedMutex_);
            opened_ = true;
            openResult_ = result;
            openedChanged_.notify_all();
            break;
        }
        case WMT_STARTED:
            reader_->SetUserProvidedClock(TRUE);
            reader_->DeliverTime(userClock_);
            break;
        case WMT_ERROR:
        case WMT_END_OF_FILE:
        case WMT_MISSING_CODEC:
            if (!ended_) finish(status);
            reader_->Stop();
            break;
        default:
            break;
    }
    return S_OK;
}

HRESULT WindowsMediaReaderCallback::OnTime(QWORD, void*) {
    userClock_ += kUnitsPerSecond;
    reader_->DeliverTime(userClock_);
    return S_OK;
}

HRESULT WindowsMediaReaderCallback::OnSample(DWORD output, QWORD, QWORD, DWORD, WmBuffer* sample, void*) {
    if (output != audioOutput_ || ended_) return S_OK;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (!sample) return E_INVALIDARG;
    if (HRESULT hr = sample->GetBufferAndLength(&data, &length); failed(hr)) return hr;
    if (!track_ && !makeTrack()) {
        fail();
        return E_FAIL;
    }
    const int values = bitsPerSample_ == 8 ? static_cast<int>(length) : static_cast<int>(length / 2);
    values_.resize(static_cast<size_t>(values));
    if (bitsPerSample_ == 8) {
        SampleConverter::pcm8ToFloat(data, values, values_.data());
    } else {
        SampleConverter::pcm16ToFloat(reinterpret_cast<const int16_t*>(data), static_cast<int>(length), values_.data());
    }
    bool appended = false;
    if (channels_ == 1) {
        appended = append(values_.data(), nullptr, values);
    } else {
        left_.resize(static_cast<size_t>(values / 2));
        right_.resize(static_cast<size_t>(values / 2));
        SampleConverter::deinterleavePair(values_.data(), 12, values / 2 * 2 * 4, left_.data(), right_.data());
        appended = append(left_.data(), right_.data(), values / 2);
    }
    if (!appended) {
        fail();
        reader_->Stop();
        return E_FAIL;
    }
    delivered_ += static_cast<uint32_t>(values / channels_);
    PostMessageA(progressWindow_, NotifyImportProgress, expectedFrames_, static_cast<LPARAM>(delivered_));
    return S_OK;
}

bool WindowsMediaReaderCallback::makeTrack() {
    // The channels' own rate words stay as they are: the Track's rate is the one used.
    track_ = TrackList::instance().addTrack(name_, TrackList::Building::Yes);
    if (!track_ || track_->setChannelCount(channels_) != channels_) return false;
    track_->sampleRate = sampleRate_;
    return true;
}

bool WindowsMediaReaderCallback::append(const float* left, const float* right, int count) {
    if (count <= 0) return true;
    if (track_->channel(0)->sequence().appendSamples(left, count) != count) return false;
    return !right || track_->channel(1)->sequence().appendSamples(right, count) == count;
}

void WindowsMediaReaderCallback::finish(WmtStatus status) {
    if (!track_ && status != WMT_END_OF_FILE) {
        fail();
        return;
    }
    // A file that ends before its first sample is an empty recording.
    if (!track_ && !makeTrack()) {
        fail();
        return;
    }
    for (int c = 0; c < channels_; ++c) {
        if (track_->channel(c)->sequence().flushAppend() < 0) {
            fail();
            return;
        }
    }
    values_ = {};
    left_ = {};
    right_ = {};
    ended_ = true;
    PostMessageA(progressWindow_, NotifyImportDone, 0, 0);
    PostMessageA(importer_.finalWindow(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(track_));
    releaseReader();
}

void WindowsMediaReaderCallback::fail() {
    importer_.setFailure(FileProblem::Other, track_);
    if (track_) TrackList::instance().removeTrack(track_);
    track_ = nullptr;
    ended_ = true;
    PostMessageA(importer_.finalWindow(), MsgImportFailed, 0, 0);
    PostMessageA(progressWindow_, NotifyImportFailed, 0, 0);
    releaseReader();
}

}  // namespace wd
