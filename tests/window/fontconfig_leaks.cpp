// fontconfig loses a few hundred bytes while parsing its XML configuration (inside
// FcInitLoadConfigAndFonts, before any of our code sees the result); LeakSanitizer
// would fail every test that draws text. Only that library's leaks are ignored.
extern "C" const char* __lsan_default_suppressions();
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
