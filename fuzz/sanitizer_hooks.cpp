// Linked into every fuzz target. Fontconfig keeps the configuration it parsed until the
// process ends, which LeakSanitizer would report after every run that made a font. The hook
// must be visible to the sanitizer runtime, which gcc loads as a shared library.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}
