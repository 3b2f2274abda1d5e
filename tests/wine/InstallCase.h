#pragma once

// What a Wine case lays out before it starts QeltorService.exe, and what it reads back after:
// the program folder with the stand-in tools, the stored server path, the command line the
// instsrv stand-in recorded and the values under the service's Parameters key.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "Waiting.h"
#include "Window.h"
#include "installer/Messages.h"

namespace qeltor::wine_case {

inline const std::filesystem::path kFolder = L"C:\\Qeltor Test\\";
inline const std::filesystem::path kProgram = kFolder / L"QeltorService.exe";
inline constexpr wchar_t kService[] = L"Qeltor Monitoring Server";
inline constexpr wchar_t kMonitor[] = L"D:\\Srv\\Monitor.exe";
inline constexpr wchar_t kServerNotes[] = L"D:\\Srv\\notes.txt";
inline constexpr wchar_t kNetworkMonitor[] = L"N:\\Srv\\Monitor.exe";  // N: is a network drive
// The server's settings as the service's account reads them.
inline constexpr wchar_t kServiceSettings[] = L".DEFAULT\\Software\\VB and VBA Program Settings\\mxqeltor";
inline const std::wstring kSuccessMessage = messages::Render({messages::Id::Success, {}});
using driver::kPatienceMs;

// Failing: a stand-in that creates nothing and exits with 1; SlowFailing: the same after 4 s.
enum class Instsrv { Missing, Program, Failing, SlowFailing, Folder, TextFile };

// Takes GoogleTest's flags, then where the product and the stand-ins were built, and `more`
// arguments after them. False, once it has said how to call the program, when they are missing
// and the cases are not just being listed.
bool TakeArguments(int& argc, wchar_t** argv, int more, const char* usage);

// No service, no stored path, a program folder holding only QeltorService.exe, and on drive D:
// the server's files: a program as Monitor.exe and a text file beside it. Each case starts so,
// and a failure here fails the case rather than skipping it.
void StartAfresh();

// Adds the tools the case wants to the program folder, and stores `serverPath` unless null.
void LayOut(Instsrv instsrv, bool srvany, const wchar_t* serverPath);

// The raw UTF-16 command line the instsrv stand-in was started with, once it has written it.
std::optional<std::string> RecordedCommandLine(DWORD patienceMs = kPatienceMs);
bool CommandLineRecorded();
void ForgetRecordedCommandLine();

// GoogleTest checks that `box` is one of the program's, with that icon; gives its text.
std::wstring BoxText(const driver::ShownBox& box, const wchar_t* icon);
// GoogleTest checks of what a successful registration of D:\Srv\Monitor.exe leaves behind,
// the server's settings copied for the service's account among it.
void ExpectServiceRegistered();
// GoogleTest checks that nothing was started and no service key written.
void ExpectNothingDone();
// Whether anything of the server's settings is under the service account's hive.
bool ServiceSettingsExist();
// GoogleTest checks that no service and no key of it are left.
void ExpectNoServiceLeft();

}  // namespace qeltor::wine_case
