// Draws the track view's fixed logical canvas: bands, waveforms, selection, cursor, time ruler.
#pragma once

#include "wavedeck_win.h"

namespace wd {

class Channel;
class Track;

/**
 * Draws one Track onto a canvas of TrackPainter::kWidth x kHeight pixels (the track
 * window's logical canvas; one column per pixel). Every pen, brush and font it uses is
 * made and freed within paint(). Reads the Track's view fields and display columns; a
 * Track with fewer than one sample per column (an empty one) is drawn as one sample
 * per column, so nothing divides by zero. User-interface thread.
 */
class TrackPainter {
public:
    static constexpr int kWidth = 565;
    static constexpr int kHeight = 330;

    /** Background, frame lines, the ruler's text, and the colours of the parts. */
    static constexpr COLORREF kBackground = 0x000000;
    static constexpr COLORREF kFrame = 0xFFFFFF;
    static constexpr COLORREF kWave = 0x5AFF00;              // 0, 255, 90
    static constexpr COLORREF kWaveSelected = 0x75C173;      // 115, 193, 117
    static constexpr COLORREF kSelection = 0xFFFFFF;
    static constexpr COLORREF kSelectionBar = 0x75C173;      // 115, 193, 117
    static constexpr COLORREF kWaveDeselected = 0xB4FFB4;    // 180, 255, 180
    static constexpr COLORREF kCursor = 0x1E00FF;            // 255, 0, 30
    static constexpr COLORREF kPlayLine = 0x10FFFF;          // 255, 255, 16
    static constexpr COLORREF kMarker = 0xB3B3B3;            // 179, 179, 179

    /** The columns of a channel's selection within the view: [first, end), empty when
     * end <= first. `first` is also where the cursor (length 0) or the ruler's
     * triangle stands. */
    struct VisibleRange {
        int first = 0;
        int end = 0;
        bool empty() const { return end <= first; }
    };
    static VisibleRange visibleSelection(const Channel& channel, int viewStart, int samplesPerColumn);

    /** Samples per column used for drawing and pointer mapping: at least 1. */
    static int columnSamples(const Track& track);

    /** Fills the canvas black; with a track draws it; with `playColumn` >= 0 draws the
     * play position line there. */
    static void paint(HDC dc, const Track* track, int playColumn);

private:
    static void drawMono(HDC dc, const Track& track);
    static void drawStereo(HDC dc, const Track& track);
    static void drawWaveform(HDC dc, const Channel& channel, int centre, int amplitude, const VisibleRange& range,
                             COLORREF normal, COLORREF selected);
    static void drawTimeRuler(HDC dc, const Track& track, const Channel& channel);
};

}  // namespace wd
