// The library's reasons for a failed open or save, as the end of a sentence for a dialog.
#pragma once

#include <string>

namespace desktop {

/** Why the file could not be read (writing false) or written, from a WD_FAILURE_ code;
 * a general reason for WD_FAILURE_NONE and WD_FAILURE_OTHER. */
std::string failureReason(int failure, bool writing);

}  // namespace desktop
