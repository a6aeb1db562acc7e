// Batch conversion exports: each finds the one converter and forwards.
#include "formats/batch_converter.h"
#include "wavedeck.h"

namespace {

// 0 without a converter, else 1 whatever the operation reports; nothing is thrown.
template <typename Operation>
int withConverter(Operation&& operation) {
    try {
        wd::BatchConverter* converter = wd::BatchConverter::instance();
        if (!converter) return 0;
        operation(*converter);
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace

int WDXInitBatchConvert(void) {
    try {
        return wd::BatchConverter::create() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void WDXUninitBatchConvert(void) {
    try {
        wd::BatchConverter::destroy();
    } catch (...) {
    }
}

int WDXSetProgHWND(HWND progressWindow) {
    return withConverter([&](wd::BatchConverter& c) { c.setProgressWindow(progressWindow); });
}

int WDXAddFiles(const char* fileList) {
    return withConverter([&](wd::BatchConverter& c) { c.addFile(fileList); });
}

int WDXDeleteFiles(const char* fileList) {
    return withConverter([&](wd::BatchConverter& c) { c.deleteFile(fileList); });
}

int WDXSetOutputDir(const char* folder) {
    return withConverter([&](wd::BatchConverter& c) { c.setOutputFolder(folder); });
}

int WDXSetOutputType(int fileType) {
    return withConverter([&](wd::BatchConverter& c) { c.setOutputType(fileType); });
}

int WDXBeginConvert(void) {
    return withConverter([](wd::BatchConverter& c) { c.begin(); });
}

int WDXCancelConvert(void) {
    return withConverter([](wd::BatchConverter& c) { c.cancel(); });
}
