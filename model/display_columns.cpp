#include "model/display_columns.h"

namespace wd {

int DisplayColumns::setCount(int count) {
    if (count < 1 || count > kMaxColumns) return -1;
    count_ = count;
    return 0;
}

}  // namespace wd
