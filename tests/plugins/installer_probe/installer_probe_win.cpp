// Records how it was started: its whole command line, in installer_args.txt beside the
// executable (whatever name it was saved under), then ends.
#include <windows.h>

#include <string>

int main() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file = path;
  file = file.substr(0, file.find_last_of('\\') + 1) + "installer_args.txt";
  const char* line = GetCommandLineA();
  HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  DWORD wrote = 0;
  WriteFile(out, line, static_cast<DWORD>(lstrlenA(line)), &wrote, nullptr);
  CloseHandle(out);
  return 0;
}
