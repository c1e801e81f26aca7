// Linked into every program of the sanitizer build. LeakSanitizer reads
// these at start-up: allocations that system libraries keep until exit are
// theirs to free, not ours, and are not reported.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n";
}
