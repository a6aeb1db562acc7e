#include "ui/ui_session.h"

#include <cmath>

#include "services/host_windows.h"
#include "services/module.h"
#include "services/settings.h"
#include "model/track_list.h"
#include "support/library_reset.h"
#include "wavedeck.h"
#include "wavedeck_messages.h"

namespace wdtest {

SignalFunction sineSignal(double frequency, double amplitude, int sampleRate) {
    return [=](int channel, int64_t frame) {
        const double f = channel == 0 ? frequency : frequency / 2;
        return static_cast<float>(amplitude * std::sin(2.0 * M_PI * f * static_cast<double>(frame) / sampleRate));
    };
}

UiSession::UiSession(int frameWidth, int frameHeight) : host_(frameWidth, frameHeight) {
    previousFolder_ = wd::Settings::instance().tempFolder();
    wd::Settings::instance().setTempFolder(dir_.path().c_str());
    notified_ = host_.addChild(host_.frame(), frameWidth - 2, frameHeight - 2, 1, 1);
    WDXRegisterMainWnd(notified_);
}

UiSession::~UiSession() {
    wdtest::closeEveryTrack();
    host_.pump();
    if (IsWindow(main_)) DestroyWindow(main_);
    host_.pump();
    wd::Settings::instance().setTempFolder(previousFolder_.c_str());
}

HWND UiSession::createMain(int width, int height) {
    main_ = WDXCreateTrackMainWnd(host_.frame(), 0, 0, width, height);
    host_.pump();
    return main_;
}

wd::Track* UiSession::makeTrack(const std::string& name, int channels, int64_t frames, const SignalFunction& signal,
                                int sampleRate) {
    wd::Track* track = wd::TrackList::instance().addTrack(name);
    track->setChannelCount(channels);
    track->sampleRate = sampleRate;
    constexpr int64_t kChunk = 65536;
    std::vector<float> chunk;
    for (int c = 0; c < channels; ++c) {
        wd::Sequence& sequence = track->channel(c)->sequence();
        track->channel(c)->viewRecord.sampleRate = sampleRate;
        for (int64_t start = 0; start < frames; start += kChunk) {
            const int64_t n = std::min(kChunk, frames - start);
            chunk.resize(static_cast<size_t>(n));
            for (int64_t i = 0; i < n; ++i) chunk[static_cast<size_t>(i)] = signal(c, start + i);
            sequence.appendSamples(chunk.data(), static_cast<int>(n));
        }
        sequence.flushAppend();
    }
    return track;
}

bool UiSession::open(wd::Track* track) {
    PostMessageA(main_, MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    return host_.pumpUntil([&] { return wd::TrackList::instance().current() == track; }, 5000ms);
}

std::vector<UINT> UiSession::notifications() const {
    std::vector<UINT> out;
    for (const auto& m : host_.messages(notified_)) {
        if (m.message >= WM_USER) out.push_back(m.message);
    }
    return out;
}

RECT boundingBox(const Image& image, const RECT& area, const std::function<bool(uint32_t)>& match) {
    RECT box{area.right, area.bottom, area.left - 1, area.top - 1};
    bool any = false;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, image.height); ++y) {
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, image.width); ++x) {
            if (!match(image.at(x, y))) continue;
            any = true;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return any ? box : RECT{0, 0, 0, 0};
}

Image bitmapResource(int id) {
    Image image;
    HBITMAP bitmap = LoadBitmapA(reinterpret_cast<HINSTANCE>(wd::moduleHandle()), MAKEINTRESOURCEA(id));
    if (!bitmap) return image;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                rgbPixel(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
        }
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return image;
}

int countColour(const Image& image, const RECT& area, uint32_t colour) {
    int n = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, image.height); ++y) {
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, image.width); ++x) {
            if (image.at(x, y) == colour) ++n;
        }
    }
    return n;
}

}  // namespace wdtest
