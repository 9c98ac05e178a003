// Sanitizer settings for the programs that run during the build (the sanitizer runtimes look
// this function up in the program; other builds never call it). fontconfig keeps what it
// parsed of its configuration until the process ends. The fast unwinder does not see through
// fontconfig's frames, so the allocations are named by library: only those fontconfig makes
// itself are concerned.

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so.1\n";
}
