// A model file that reaches up into the windows: the check must name this line.
#include "ui/main_window.h"
#include "model/track.h"
