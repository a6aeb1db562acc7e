#include "ui/main_window.h"

#include "api/host_windows.h"
#include "formats/exporter.h"
#include "formats/importer.h"

namespace wd {

MainWindow& MainWindow::instance() {
    static MainWindow* object = new MainWindow;
    return *object;
}

MainWindow::MainWindow() = default;
MainWindow::~MainWindow() = default;

void MainWindow::broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
    HostWindows::instance().broadcast(message, wParam, lParam);
}

void MainWindow::ImporterDeleter::operator()(Importer* importer) const { Importer::Destroy(importer); }
void MainWindow::ExporterDeleter::operator()(Exporter* exporter) const { delete exporter; }

void MainWindow::setImporter(Importer* importer) {
    // The old reader's worker is stopped before the object goes (its destructor waits).
    importer_.reset(importer);
}

void MainWindow::setExporter(Exporter* exporter) { exporter_.reset(exporter); }

}  // namespace wd
