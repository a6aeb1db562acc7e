// MP3 import and export as a user runs them, next to the usual tools: opening an MP3
// (`wavedeck info`) against `madplay` decoding it to a WAV file, and `wavedeck convert`
// to MP3 against `lame -b 128`, alternately, medians of several runs each.
//
//   bench_mpeg_audio [work folder] [seconds of audio] [runs]
#include "bench/batch_timing.h"

int main(int argc, char** argv) {
    const std::string work = bench::workFolder(argc, argv, "bench-mpeg-work");
    const double seconds = argc > 2 ? std::atof(argv[2]) : 300;
    const int runs = argc > 3 ? std::max(3, std::atoi(argv[3])) : 5;
    const std::string in = work + "/in.wav", mp3 = work + "/in.mp3";
    if (!bench::writeMusic(in, seconds)) return 1;
    bench::timeCommand("lame --quiet -b 128 '" + in + "' '" + mp3 + "'");
    const std::string wavedeck = bench::wavedeck(work);
    std::printf("%.0f s of stereo at 44.1 kHz, %d runs each\n", seconds, runs);
    bench::compare("MP3 import (info vs madplay)", wavedeck + " info '" + mp3 + "'",
                   "madplay -Q -o wave:'" + work + "/madplay.wav' '" + mp3 + "'", runs);
    bench::compare("MP3 export (convert vs lame -b 128)", wavedeck + " convert '" + in + "' -o '" + work + "/ours.mp3'",
                   "lame --quiet -b 128 '" + in + "' '" + work + "/lame.mp3'", runs);
    return 0;
}
