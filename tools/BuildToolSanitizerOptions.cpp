// Sanitizer settings for the programs that run during the build and draw with the kit (the
// sanitizer runtimes look these functions up in the program; other builds never call them).

// fontconfig keeps what it parsed of its configuration until the process ends. The fast
// unwinder does not see through fontconfig's frames, so the allocations are named by library:
// only those fontconfig makes itself are concerned.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so.1\n";
}

// Measuring text starts the text stack, whose font loading on pango's own thread the thread
// sanitizer cannot follow; the interface kit's tests pass over the same libraries.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libglib-2.0.so.0\n"
           "called_from_lib:libgobject-2.0.so.0\n"
           "called_from_lib:libfontconfig.so.1\n"
           "called_from_lib:libfreetype.so.6\n"
           "called_from_lib:libharfbuzz.so.0\n"
           "called_from_lib:libpango-1.0.so.0\n"
           "called_from_lib:libpangoft2-1.0.so.0\n"
           "called_from_lib:libpangocairo-1.0.so.0\n"
           "called_from_lib:libcairo.so.2\n";
}
