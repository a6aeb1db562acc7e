#include "formats/file_problem.h"

#include <cerrno>
#include <climits>

#include "model/block_factory.h"
#include "model/track.h"
#include "platform/files/file_io.h"

namespace wd {

FileProblem problemOfErrno(int error) {
    switch (error) {
        case 0: return FileProblem::None;
        case ENOENT:
        case ENOTDIR: return FileProblem::Missing;
        case EACCES:
        case EPERM:
        case EROFS: return FileProblem::NoPermission;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return FileProblem::NoSpace;
        case ENAMETOOLONG: return FileProblem::NameTooLong;
        case ENXIO:
        case EISDIR:
        case ENODEV: return FileProblem::NotRegular;
        default: return FileProblem::Other;
    }
}

FileProblem storageProblem() {
    return problemOfErrno(BlockFactory::instance().lastWriteError()) == FileProblem::NoSpace ? FileProblem::TempFull
                                                                                          : FileProblem::TempUnwritable;
}

FileProblem readProblem(uint32_t writeFailuresAtStart, const Track* track, FileProblem otherwise) {
    if (BlockFactory::instance().writeFailures() != writeFailuresAtStart) return storageProblem();
    // An append is refused, not cut, when it would pass the limit; readers append at most
    // one block's worth at a time.
    if (track && track->length() > INT_MAX - BlockFile::kMaxSamples) return FileProblem::TooLong;
    return otherwise;
}

}  // namespace wd
