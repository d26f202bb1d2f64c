#include "platform/process_runner.h"

#include <windows.h>

#include <vector>

namespace gara {

namespace {

// Dispatches every message waiting for this thread's windows. A WM_QUIT is not ours to eat:
// it is remembered and posted again once the wait is over.
void PumpMessages(bool& quit, WPARAM& quitCode) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      quitCode = message.wParam;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

std::string RealProcessRunner::ConverterFileName() const { return "kvx.exe"; }

bool RealProcessRunner::RunAndWait(const ConverterCommand& command) {
  std::string commandLine = command.CommandLine();
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');  // CreateProcessA may write into the command line

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  PROCESS_INFORMATION process{};
  // The converter is a console program and this one has no console: without CREATE_NO_WINDOW
  // the system would open a console window over the dialog for every conversion. Its one error
  // line is not read here anyway (the missing figure file tells the failure).
  constexpr DWORD kCreation = CREATE_DEFAULT_ERROR_MODE | CREATE_NO_WINDOW;
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, kCreation, nullptr, nullptr,
                      &startup, &process)) {
    return false;  // never started: nothing to wait for
  }
  CloseHandle(process.hThread);

  bool quit = false;
  WPARAM quitCode = 0;
  // Until the converter is idle for input (no time limit; a console program returns at once),
  // looking in between at our own messages so that the dialog keeps painting meanwhile.
  while (WaitForInputIdle(process.hProcess, 0) == WAIT_TIMEOUT) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 + 1) {
      PumpMessages(quit, quitCode);
    } else if (woken != WAIT_TIMEOUT) {
      break;  // ended before it was ever idle, or the wait failed
    }
  }

  // Then until it ends, sleeping until either the process ends or a message arrives.
  while (true) {
    const DWORD woken =
        MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 + 1) {
      PumpMessages(quit, quitCode);
      continue;
    }
    break;  // the process ended, or the wait itself failed
  }
  CloseHandle(process.hProcess);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return true;
}

}  // namespace gara
