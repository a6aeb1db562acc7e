// The platform layer is where a system is picked: this passes.
#ifdef _WIN32
#endif
