#include "platform/process_start.h"

#include "platform/win_path.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace platform {

void SecureProcessStart() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetDllDirectoryW(L"");
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stdin), _O_BINARY);
}

std::vector<std::string> ProgramArguments(int, char*[]) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i)
    args.push_back(win::Narrow(wide[i]));
  ::LocalFree(wide);
  return args;
}

void AttachToParentConsole() {
  // A program with a console of its own has nothing to attach.
  if (::GetConsoleWindow() == nullptr && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    // Only streams that were not redirected are taken to the console.
    if (::_fileno(stdout) < 0 || ::_get_osfhandle(::_fileno(stdout)) < 0)
      std::freopen("CONOUT$", "w", stdout);
    if (::_fileno(stderr) < 0 || ::_get_osfhandle(::_fileno(stderr)) < 0)
      std::freopen("CONOUT$", "w", stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
  }
  ::SetConsoleOutputCP(CP_UTF8);
}

bool StandardErrorIsTerminal() {
  return ::_isatty(::_fileno(stderr)) != 0;
}

std::string PluginDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0)
      return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return win::Narrow(path.substr(0, path.find_last_of(L'\\')));
}

} // namespace platform
