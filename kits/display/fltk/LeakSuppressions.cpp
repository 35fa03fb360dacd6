// Fontconfig, which FLTK's Xft fonts use, keeps its caches to the end of
// the program without freeing them; the leak checker of sanitizer builds
// is told so here, where the library that brings it in is linked.
extern "C" const char*
__lsan_default_suppressions()
{
	return "leak:libfontconfig.so\n";
}
