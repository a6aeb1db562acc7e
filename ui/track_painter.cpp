#include "ui/track_painter.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/track.h"
#include "ui/scoped_gdi_object.h"

namespace wd {

namespace {

constexpr int kW = TrackPainter::kWidth;
constexpr int kH = TrackPainter::kHeight;
// Ticks of the time ruler stand every kTickStep absolute columns; every kLabelStep-th
// column carries a long tick with its time.
constexpr int kTickStep = 14;
constexpr int kLabelStep = 70;

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A column value as drawn: damaged data (not a number, infinities, absurd sizes) must
// not turn into undefined pixel rows.
float drawable(float v) { return std::isfinite(v) ? std::clamp(v, -1000.0f, 1000.0f) : 0.0f; }

// Integer division rounding up, for non-negative a and positive b.
int64_t ceilDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// Minutes, seconds and milliseconds of a sample position, "%02d:%02d:%03d".
void formatTickTime(int64_t sample, int rate, char* out, size_t size) {
    const int64_t minutes = sample / (static_cast<int64_t>(rate) * 60);
    int64_t rest = sample - minutes * rate * 60;
    const int64_t seconds = rest / rate;
    rest -= seconds * rate;
    const int64_t millis = rest * 1000 / rate;
    std::snprintf(out, size, "%02" PRId64 ":%02" PRId64 ":%03" PRId64, minutes, seconds, millis);
}

}  // namespace

int TrackPainter::columnSamples(const Track& track) { return std::max(track.samplesPerColumn, 1); }

TrackPainter::VisibleRange TrackPainter::visibleSelection(const Channel& channel, int viewStart, int spc) {
    const int64_t start = channel.selStart;
    const int64_t length = channel.selLength;
    const int64_t vs = viewStart;
    VisibleRange range;
    if (length > 0) {
        if (start + length > vs) {
            if (start < vs) {
                range.first = 0;
                range.end = static_cast<int>(length / spc - (vs - start) / spc);
            } else {
                range.first = static_cast<int>((start - vs) / spc);
                range.end = static_cast<int>(range.first + length / spc);
            }
        }
        // A selection wholly before the view: empty, at column 0.
    } else {
        range.first = static_cast<int>((start - vs) / spc);
        range.end = range.first;
    }
    return range;
}

void TrackPainter::paint(HDC dc, const Track* track, int playColumn) {
    fill(dc, 0, 0, kW, kH, kBackground);
    if (!track) return;
    if (track->channelCount() == 2 && track->channel(1)) {
        drawStereo(dc, *track);
    } else if (track->channel(0)) {
        drawMono(dc, *track);
    }
    if (playColumn >= 0) {
        ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kPlayLine));
        line(dc, playColumn, 0, playColumn, kH);
    }
}

void TrackPainter::drawMono(HDC dc, const Track& track) {
    const Channel& channel = *track.channel(0);
    const int spc = columnSamples(track);
    const VisibleRange range = visibleSelection(channel, track.viewStart, spc);
    {
        ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kFrame));
        line(dc, 0, 0, kW, 0);
        line(dc, 0, 8, kW, 8);
        if (channel.selLength > 0) fill(dc, range.first, 1, range.end, 7, kSelectionBar);
        line(dc, 0, 23, kW, 23);
        line(dc, 0, kH - 45, kW, kH - 45);
    }
    if (!range.empty()) fill(dc, range.first, 9, range.end, kH - 30, kSelection);
    drawWaveform(dc, channel, (kH - 37) / 2 + 8, (kH - 67) / 2, range, kWave, kWaveSelected);
    drawTimeRuler(dc, track, channel);
    if (channel.selLength == 0) {
        ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kCursor));
        line(dc, range.first, 9, range.first, kH - 31);
    }
}

void TrackPainter::drawStereo(HDC dc, const Track& track) {
    const int spc = columnSamples(track);
    const int top = (kH - 101) >> 1;  // 114
    const int bottom = top + 42;      // 156
    const Channel* channels[2] = {track.channel(0), track.channel(1)};
    const VisibleRange ranges[2] = {visibleSelection(*channels[0], track.viewStart, spc),
                                    visibleSelection(*channels[1], track.viewStart, spc)};
    {
        ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kFrame));
        for (int y : {23, top + 23, top + 38, bottom, 0, 8}) line(dc, 0, y, kW, y);
        if (channels[0]->selLength > 0) fill(dc, ranges[0].first, 1, ranges[0].end, 7, kSelectionBar);
        line(dc, 0, bottom + 15, kW, bottom + 15);
        line(dc, 0, kH - 45, kW, kH - 45);
    }
    struct Band {
        int rectTop, rectBottom, centre, amplitude, cursorTop, cursorBottom;
    };
    const Band bands[2] = {
        {9, ((kH - 42) >> 1) + 8, ((kH - 41) >> 2) + 8, (kH - 101) >> 2, 9, bottom - 4},
        {bottom + 1, kH - 31, ((kH - 30 - bottom + 1) >> 1) + bottom, ((kH - 30 - bottom) - 29) >> 1, bottom, kH - 30},
    };
    for (int i = 0; i < 2; ++i) {
        const Channel& channel = *channels[i];
        const Band& band = bands[i];
        if (!channel.selectedFlag) {
            drawWaveform(dc, channel, band.centre, band.amplitude, VisibleRange{}, kWaveDeselected, kWaveDeselected);
            continue;
        }
        if (!ranges[i].empty()) fill(dc, ranges[i].first, band.rectTop, ranges[i].end, band.rectBottom, kSelection);
        drawWaveform(dc, channel, band.centre, band.amplitude, ranges[i], kWave, kWaveSelected);
        if (channel.selLength == 0) {
            ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kCursor));
            line(dc, ranges[i].first, band.cursorTop, ranges[i].first, band.cursorBottom);
        }
    }
    drawTimeRuler(dc, track, *channels[1]);
}

void TrackPainter::drawWaveform(HDC dc, const Channel& channel, int centre, int amplitude, const VisibleRange& range,
                                COLORREF normal, COLORREF selected) {
    HPEN normalPen = CreatePen(PS_SOLID, 1, normal);
    HPEN selectedPen = CreatePen(PS_SOLID, 1, selected);
    HGDIOBJ previous = SelectObject(dc, normalPen);
    const DisplayColumns& columns = channel.columns();
    const int offset = std::max(columns.drawOffset, 0);
    const int count = std::min(columns.count(), DisplayColumns::kMaxColumns - offset);
    const float a = static_cast<float>(amplitude);
    for (int x = 0; x < count; ++x) {
        const float mn = drawable(columns.mins[static_cast<size_t>(offset + x)]);
        const float mx = drawable(columns.maxs[static_cast<size_t>(offset + x)]);
        const int yMin = static_cast<int>(static_cast<float>(centre) - (a * mn + 0.5f));
        const int yMax = static_cast<int>(static_cast<float>(centre) - (a * mx + 0.5f));
        const bool inside = x >= range.first && x < range.end;
        if (yMin == yMax) {
            SetPixel(dc, x, yMin, inside ? selected : normal);
        } else {
            SelectObject(dc, inside ? selectedPen : normalPen);
            line(dc, x, yMin, x, yMax);
        }
    }
    if (range.empty()) {
        SelectObject(dc, normalPen);
        line(dc, 0, centre, kW, centre);
    } else {
        SelectObject(dc, normalPen);
        line(dc, 0, centre, range.first, centre);
        SelectObject(dc, selectedPen);
        line(dc, range.first, centre, range.end, centre);
        SelectObject(dc, normalPen);
        line(dc, range.end, centre, kW, centre);
    }
    SelectObject(dc, previous);
    DeleteObject(normalPen);
    DeleteObject(selectedPen);
}

void TrackPainter::drawTimeRuler(HDC dc, const Track& track, const Channel& channel) {
    const int spc = columnSamples(track);
    const VisibleRange range = visibleSelection(channel, track.viewStart, spc);
    {
        ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kFrame));
        line(dc, 0, kH - 30, kW, kH - 30);
    }
    if (!range.empty()) {
        fill(dc, range.first, kH - 29, range.end, kH, kMarker);
    } else {
        ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kMarker));
        ScopedGdiObject brush(dc, CreateSolidBrush(kMarker));
        const int x = range.first;
        const POINT corners[3] = {{x, kH - 29}, {x - 3, kH}, {x + 3, kH}};
        Polygon(dc, corners, 3);
    }

    ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, kFrame));
    ScopedGdiObject font(dc, CreateFontA(10, 5, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial"));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kFrame);
    const int64_t f = track.viewStart / spc;
    const int64_t firstIndex = ceilDiv(f, kTickStep) * kTickStep;
    for (int64_t index = firstIndex; index - f <= kW; index += kTickStep) {
        const int x = static_cast<int>(index - f);
        const bool labelled = index % kLabelStep == 0;
        line(dc, x, kH - 29, x, labelled ? kH - 20 : kH - 24);
        if (!labelled || track.sampleRate <= 0) continue;
        char text[40];
        formatTickTime(index * spc, track.sampleRate, text, sizeof text);
        const int length = static_cast<int>(std::strlen(text));
        SIZE size{};
        GetTextExtentPoint32A(dc, text, length, &size);
        TextOutA(dc, x - size.cx / 2, kH - 18, text, length);
    }
}

}  // namespace wd
