#include "ui/window_classes.h"

namespace wd {

// The window system registers the classes once it exists; until then attach has no
// classes to register.
void registerWindowClasses(HINSTANCE) {}
void unregisterWindowClasses(HINSTANCE) {}

}  // namespace wd
