// A reader that picks its system itself: the check must name this line.
#ifdef _WIN32
#endif
