// The library's frame inside the host, and the state behind it.
#pragma once

#include <atomic>
#include <memory>

#include "wavedeck_win.h"

namespace wd {

class Importer;
class Exporter;

/**
 * One per process, made on first use and never destroyed. Holds the frame's window
 * (made by WDXCreateTrackMainWnd), the reader and writer of the last open and save, and
 * reaches the host windows that receive the library's notifications (HostWindows).
 *
 * window() may be read from any thread (workers address their end messages to it);
 * everything else belongs to the user-interface thread.
 */
class MainWindow {
public:
    static MainWindow& instance();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    /** The frame's window, or null before WDXCreateTrackMainWnd. */
    HWND window() const { return window_; }
    void setWindow(HWND window) { window_ = window; }

    /** Posts the message to every registered host window, in registration order. */
    static void broadcast(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    /** The reader of the last open; replacing it first cancels and destroys the old one. */
    Importer* importer() const { return importer_.get(); }
    void setImporter(Importer* importer);
    /** The writer of the last save; as setImporter. */
    Exporter* exporter() const { return exporter_.get(); }
    void setExporter(Exporter* exporter);

private:
    MainWindow();
    ~MainWindow();

    struct ImporterDeleter {
        void operator()(Importer* importer) const;
    };
    struct ExporterDeleter {
        void operator()(Exporter* exporter) const;
    };

    std::atomic<HWND> window_{nullptr};
    std::unique_ptr<Importer, ImporterDeleter> importer_;
    std::unique_ptr<Exporter, ExporterDeleter> exporter_;
};

}  // namespace wd
