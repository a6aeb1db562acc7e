// The level meter window: smoothing, limits, and what it draws, probed by pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "services/module.h"
#include "support/test_host.h"
#include "ui/volume_window.h"
#include "wavedeck.h"

namespace {

using namespace std::chrono_literals;
using wd::VolumeWindow;
using wdtest::rgbPixel;

const uint32_t kBlack = rgbPixel(0, 0, 0);
const uint32_t kGreen = rgbPixel(0, 255, 0);
const uint32_t kYellow = rgbPixel(255, 255, 0);

/** Registers "WdVolueme" with the meter's procedure and the class attributes the library
 * gives every window class of its own. */
void registerMeterClass() {
    HINSTANCE module = reinterpret_cast<HINSTANCE>(wd::moduleHandle());
    UnregisterClassA("WdVolueme", module);
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = VolumeWindow::windowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "WdVolueme";
    RegisterClassA(&windowClass);
}

int smoothed(int newValue, int value) { return static_cast<int>(newValue * 0.1 + value * 0.9); }

class VolumeWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerMeterClass();
        meter = &VolumeWindow::instance();
        // Zero input decays every value to 0 geometrically.
        for (int i = 0; i < 400; ++i) meter->setLevels(0, 0, 0, 0);
        window = WDXCreateVolumeWnd(host.frame(), 10, 20, kWidth, kHeight);
        ASSERT_NE(window, nullptr);
    }

    /** Sets the same levels n times; returns the values the reference smoothing gives. */
    VolumeWindow::Levels feed(const VolumeWindow::Levels& levels, int n) {
        VolumeWindow::Levels expected = meter->levels();
        for (int i = 0; i < n; ++i) {
            meter->setLevels(levels.peakLeft, levels.meanLeft, levels.peakRight, levels.meanRight);
            expected.peakLeft = smoothed(levels.peakLeft, expected.peakLeft);
            expected.meanLeft = smoothed(levels.meanLeft, expected.meanLeft);
            expected.peakRight = smoothed(levels.peakRight, expected.peakRight);
            expected.meanRight = smoothed(levels.meanRight, expected.meanRight);
        }
        return expected;
    }

    /** Checks one bar row: yellow on [1, mean), green on [mean, peak), black after. */
    void expectBar(const wdtest::Image& image, int y, int peakLength, int meanLength) {
        EXPECT_EQ(image.at(0, y), kBlack) << "row " << y;
        for (int x = 1; x < kWidth; ++x) {
            uint32_t want = kBlack;
            if (x < meanLength) {
                want = kYellow;
            } else if (x < peakLength) {
                want = kGreen;
            }
            if (image.at(x, y) != want) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << image.at(x, y) << ", expected "
                              << want;
                return;
            }
        }
    }

    static constexpr int kWidth = 202;   // bars span 200 pixels
    static constexpr int kHeight = 44;   // (44 - 4) >> 1 = 20: left rows 1..19, right rows 22..42
    wdtest::TestHost host;
    VolumeWindow* meter = nullptr;
    HWND window = nullptr;
};

int length(int value) { return value * (202 - 2) / VolumeWindow::kFullScale; }

TEST_F(VolumeWindowTest, TheWindowIsAVisibleChildTitledVolume) {
    char title[16] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "volume");
    EXPECT_EQ(GetParent(window), host.frame());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(meter->window(), window);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
}

TEST_F(VolumeWindowTest, WithNoLevelTheWindowIsAllBlack) {
    wdtest::Image image = host.capture(window);
    ASSERT_EQ(image.width, kWidth);
    for (uint32_t pixel : image.pixels) ASSERT_EQ(pixel, kBlack);
}

TEST_F(VolumeWindowTest, EachChannelShowsAGreenPeakBarWithTheYellowMeanOverIt) {
    VolumeWindow::Levels expected = feed({20000, 8000, 30000, 3000}, 12);
    VolumeWindow::Levels got = meter->levels();
    EXPECT_EQ(got.peakLeft, expected.peakLeft);
    EXPECT_EQ(got.meanLeft, expected.meanLeft);
    EXPECT_EQ(got.peakRight, expected.peakRight);
    EXPECT_EQ(got.meanRight, expected.meanRight);
    wdtest::Image image = host.capture(window);
    for (int y : {0, 20, 21, 43}) expectBar(image, y, 0, 0);  // border and gap rows
    for (int y : {1, 10, 19}) expectBar(image, y, length(expected.peakLeft), length(expected.meanLeft));
    for (int y : {22, 32, 42}) expectBar(image, y, length(expected.peakRight), length(expected.meanRight));
    EXPECT_GT(length(expected.peakLeft), length(expected.meanLeft) + 10) << "the probe needs both colours";
}

TEST_F(VolumeWindowTest, AConstantInputConvergesGeometrically) {
    const int input = 20000;
    for (int n : {1, 5, 20, 60}) {
        for (int i = 0; i < 400; ++i) meter->setLevels(0, 0, 0, 0);
        for (int i = 0; i < n; ++i) meter->setLevels(input, input, input, input);
        // Each update truncates by less than 1, and old losses shrink by 0.9 per update:
        // the total shortfall stays below 1 / (1 - 0.9) = 10.
        const double ideal = (1 - std::pow(0.9, n)) * input;
        const int got = meter->levels().peakLeft;
        EXPECT_LE(got, ideal + 1e-9) << n << " updates";
        EXPECT_GT(got, ideal - 10) << n << " updates";
    }
}

TEST_F(VolumeWindowTest, PeaksBeyondFullScaleAreDrawnAndKeptAsFullScale) {
    feed({100000, 0, 40000, 0}, 60);  // far beyond 32767
    ASSERT_GT(meter->levels().peakLeft, VolumeWindow::kFullScale);
    ASSERT_GT(meter->levels().peakRight, VolumeWindow::kFullScale);
    wdtest::Image image = host.capture(window);
    expectBar(image, 10, kWidth - 2, 0);
    expectBar(image, 30, kWidth - 2, 0);
    EXPECT_EQ(meter->levels().peakLeft, VolumeWindow::kFullScale);
    EXPECT_EQ(meter->levels().peakRight, VolumeWindow::kFullScale);
}

TEST_F(VolumeWindowTest, WithoutNewLevelsTheBarsStayWhereTheyAre) {
    VolumeWindow::Levels expected = feed({16000, 4000, 16000, 4000}, 30);
    host.pumpFor(50ms);
    VolumeWindow::Levels got = meter->levels();
    EXPECT_EQ(got.peakLeft, expected.peakLeft);
    EXPECT_EQ(got.meanRight, expected.meanRight);
    wdtest::Image image = host.capture(window);
    expectBar(image, 10, length(expected.peakLeft), length(expected.meanLeft));
}

}  // namespace
