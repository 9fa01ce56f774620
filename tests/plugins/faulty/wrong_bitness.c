/* An input plug-in built for the other processor width than the player: it exports
   `extension`, but the player cannot map it. */
#ifdef _WIN64
#define ENTRY
#else
#define ENTRY __attribute__((stdcall))
#endif
__declspec(dllexport) const char* ENTRY extension(void) { return "MP3"; }
