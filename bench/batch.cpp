// A batch conversion as a user runs it: 20 one-minute WAV files to Ogg Vorbis at quality 5
// with `wavedeck convert FILE... --to ogg --out DIR`, next to a shell loop running
// `oggenc -q 5` on each file, alternately, medians of several runs each.
//
//   bench_batch [work folder] [files] [seconds each] [runs]
#include "bench/batch_timing.h"

int main(int argc, char** argv) {
    const std::string work = bench::workFolder(argc, argv, "bench-batch-work");
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 60;
    const int runs = argc > 4 ? std::max(3, std::atoi(argv[4])) : 3;
    std::filesystem::create_directories(work + "/in");
    std::string list;
    for (int i = 0; i < count; ++i) {
        const std::string path = work + "/in/take" + std::to_string(i) + ".wav";
        if (!bench::writeMusic(path, seconds)) return 1;
        list += " '" + path + "'";
    }
    std::printf("%d files of %.0f s of stereo at 44.1 kHz, %d runs each\n", count, seconds, runs);
    bench::compare("batch to Ogg (convert vs oggenc loop)",
                   bench::wavedeck(work) + " convert" + list + " --to ogg --out '" + work + "/ours'",
                   "mkdir -p '" + work + "/peer' && for f in" + list + "; do oggenc -Q -q 5 -o '" + work +
                       "/peer/'$(basename \"$f\" .wav).ogg \"$f\" || exit 1; done",
                   runs);
    return 0;
}
