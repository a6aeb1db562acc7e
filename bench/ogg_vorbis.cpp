// Ogg Vorbis import and export as a user runs them, next to the usual tools: opening an
// Ogg file (`wavedeck info`) against `oggdec`, and `wavedeck convert` to Ogg at the
// default quality 5 against `oggenc -q 5`, alternately, medians of several runs each.
//
//   bench_ogg_vorbis [work folder] [seconds of audio] [runs]
#include "bench/batch_timing.h"

int main(int argc, char** argv) {
    const std::string work = bench::workFolder(argc, argv, "bench-ogg-work");
    const double seconds = argc > 2 ? std::atof(argv[2]) : 300;
    const int runs = argc > 3 ? std::max(3, std::atoi(argv[3])) : 5;
    const std::string in = work + "/in.wav", ogg = work + "/in.ogg";
    if (!bench::writeMusic(in, seconds)) return 1;
    bench::timeCommand("oggenc -Q -q 5 -o '" + ogg + "' '" + in + "'");
    const std::string wavedeck = bench::wavedeck(work);
    std::printf("%.0f s of stereo at 44.1 kHz, %d runs each\n", seconds, runs);
    bench::compare("Ogg import (info vs oggdec)", wavedeck + " info '" + ogg + "'",
                   "oggdec -Q -o '" + work + "/oggdec.wav' '" + ogg + "'", runs);
    bench::compare("Ogg export (convert vs oggenc -q 5)", wavedeck + " convert '" + in + "' -o '" + work + "/ours.ogg'",
                   "oggenc -Q -q 5 -o '" + work + "/oggenc.ogg' '" + in + "'", runs);
    return 0;
}
