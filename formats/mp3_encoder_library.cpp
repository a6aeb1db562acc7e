#include "formats/mp3_encoder_library.h"

#include "platform/files/files.h"

namespace wd {

Mp3EncoderLibrary& Mp3EncoderLibrary::instance() {
    static Mp3EncoderLibrary* library = new Mp3EncoderLibrary;
    return *library;
}

bool Mp3EncoderLibrary::load(const std::string& folder) {
    release();
    const std::string fileName = loadableLibraryFileName(kName);
    module_ = LoadLibraryA((folder + "/" + fileName).c_str());
    if (!module_) module_ = LoadLibraryA(fileName.c_str());
    if (!module_) return false;
    initStream = reinterpret_cast<BeInitStreamFn>(GetProcAddress(module_, "beInitStream"));
    closeStream = reinterpret_cast<BeCloseStreamFn>(GetProcAddress(module_, "beCloseStream"));
    deinitStream = reinterpret_cast<BeDeinitStreamFn>(GetProcAddress(module_, "beDeinitStream"));
    encodeChunk = reinterpret_cast<BeEncodeChunkFn>(GetProcAddress(module_, "beEncodeChunk"));
    return available();
}

void Mp3EncoderLibrary::release() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    initStream = nullptr;
    encodeChunk = nullptr;
    deinitStream = nullptr;
    closeStream = nullptr;
}

bool Mp3EncoderLibrary::available() const { return initStream && encodeChunk && deinitStream && closeStream; }

}  // namespace wd
