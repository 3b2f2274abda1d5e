// Thousands of generated program folders and stored paths through the whole run: the
// checks, then the registration. Either the command line and the three values are exactly
// those the input calls for, or a critical message is shown and nothing is started or written.
// Only a full path to a program gets as far as instsrv.exe.
#include "FakePlatform.h"
#include "installer/ServiceRegistration.h"
#include "installer/StartupChecks.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

namespace qeltor::testing {
namespace {

using namespace std::string_literals;

class Generator {
public:
    std::wstring Folder() {
        static const std::vector<std::wstring> kFolders = {L"C:\\Tools",
                                                           L"C:\\Tools\\",
                                                           L"D:\\",
                                                           L"C:\\Program Files\\Qeltor ",
                                                           L"\\\\server\\share\\kit",
                                                           L"C:\\Caf\u00e9 \u20ac",
                                                           L"C:\\\u76d1\u63a7",
                                                           L"",
                                                           L"C:\\a.b."};
        return Pick(kFolders) + (Chance(10) ? std::wstring(300, L'x') : std::wstring{});
    }

    // Often a full path to an .exe, so that many runs get as far as the service manager.
    std::wstring StoredPath() {
        static const std::vector<std::wstring> kStarts = {L"D:\\", L"D:/", L"\\\\host\\share\\", L"\\\\host\\",
                                                          L"d:\\"};
        std::wstring path = Chance(75) ? Pick(kStarts) : std::wstring{};
        path += Chance(30) ? std::wstring(L"Srv\\") : Pieces();
        return Chance(75) ? path + L"Monitor.exe" : path;
    }

    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::wstring Pieces() {
        static const std::vector<std::wstring> kPieces = {
            L"D:",          L"\\",  L"\\",     L"/",      L" ",      L"\"",     L"*",          L"?",  L".",      L"Srv",
            L"Monitor.exe", L"bin", L"\u00e9", L"\u20ac", L"\u0416", L"\u76d1", L"\U0001F600", L"..", L"\u00a0", L"x"};
        std::wstring path;
        const int count = Below(12);
        for (int i = 0; i < count; ++i) {
            path += Chance(3) ? std::wstring(static_cast<std::size_t>(Below(400)), L'a') : Pick(kPieces);
        }
        return path;
    }

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine_); }
    const std::wstring& Pick(const std::vector<std::wstring>& items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
    }

    std::mt19937 engine_{20261207U};  // fixed, so that every run checks the same cases
};

std::optional<std::string> WesternBytes(const FakePlatform& fake, const std::wstring& text) {
    std::string bytes;
    for (const wchar_t c : text) {
        const auto converted = fake.AnsiBytesOf(c);
        if (!converted) {
            return std::nullopt;
        }
        bytes += *converted;
    }
    return bytes;
}

TEST(RandomizedInstallerTest, EitherExactlyTheRightServiceOrACriticalMessageAndNothingDone) {
    Generator generate;
    int registered = 0;
    for (int round = 0; round < 4000; ++round) {
        FakePlatform fake;
        fake.appPath = generate.Folder();
        const std::wstring folder = FakePlatform::WithSeparator(fake.appPath);
        if (generate.Chance(92)) {
            fake.files.insert(folder + L"instsrv.exe");
        }
        if (generate.Chance(92)) {
            fake.files.insert(folder + L"srvany.exe");
        }
        const std::wstring stored = generate.StoredPath();
        if (generate.Chance(90)) {
            fake.StoreExePath(stored);
        }
        // A path that ends in a backslash names a folder, never a file.
        if (generate.Chance(80) && !stored.empty() && stored.back() != L'\\') {
            fake.files.insert(stored);
        }
        fake.files.insert(L"D:\\Srv\\Monitor.exe");  // something for wildcards to match
        fake.currentFolderFiles = {L"Monitor.exe"};
        SCOPED_TRACE(::testing::Message() << "round " << round << " folder " << fake.appPath << " stored " << stored);

        InstallerPaths paths;
        if (RunStartupChecks(fake, fake, paths)) {
            RegisterService(fake, fake, paths);
        }

        const bool storedIsAFile = fake.settings.contains(L"mxqeltor\\m\\exepath") && !stored.empty() &&
                                   fake.files.contains(stored) && stored.find_first_of(L"*?") == std::wstring::npos;
        const bool toolsPresent =
            fake.files.contains(folder + L"instsrv.exe") && fake.files.contains(folder + L"srvany.exe");
        // Drive letter, colon, separator; or two separators, a server, a share and a separator.
        const bool fullPath =
            std::regex_search(stored, std::wregex(LR"(^([A-Za-z]:[\\/]|[\\/]{2}[^\\/]+[\\/][^\\/]+[\\/]))"));
        const bool program = stored.ends_with(L".exe") && stored.size() < 260;  // and startable without long paths
        // The kit and the server on a drive, not a share; the server in a folder, not a drive's root.
        const bool placed = std::regex_search(folder, std::wregex(LR"(^[A-Za-z]:)")) &&
                            !std::regex_search(stored, std::wregex(LR"(^([A-Za-z]:[\\/][^\\/]*$|[\\/]{2}))"));
        const auto application = WesternBytes(fake, stored);
        const auto cut = stored.rfind(L'\\');
        const auto directory = WesternBytes(fake, cut == std::wstring::npos ? L"" : stored.substr(0, cut + 1));

        if (toolsPresent && storedIsAFile && application && fullPath && program && placed) {
            ++registered;
            ASSERT_EQ(fake.shellCommands.size(), 1U);
            const std::wstring expected =
                L"\"" + folder + L"instsrv.exe\" \"Qeltor Monitoring Server\" \"" + folder + L"srvany.exe\"";
            EXPECT_EQ(fake.shellCommands[0], expected);
            ASSERT_EQ(fake.writes.size(), 3U);
            EXPECT_EQ(fake.writes[0].stored, *application + '\0');
            EXPECT_EQ(fake.writes[1].stored, *directory + '\0');
            EXPECT_EQ(fake.writes[2].stored, "");
            EXPECT_EQ(fake.writes[2].byteCount, 0U);
            ASSERT_EQ(fake.boxes.size(), 1U);
            EXPECT_EQ(fake.boxes[0].style, 64U);
            EXPECT_TRUE(fake.unloaded);
        } else {
            ASSERT_EQ(fake.boxes.size(), 1U);
            EXPECT_EQ(fake.boxes[0].style, 16U);
            EXPECT_TRUE(fake.shellCommands.empty());
            EXPECT_TRUE(fake.createdKeys.empty());
            EXPECT_TRUE(fake.writes.empty());
            EXPECT_FALSE(fake.unloaded);
        }
    }
    // The generated inputs must exercise both outcomes in earnest.
    EXPECT_GT(registered, 200) << registered;
    EXPECT_LT(registered, 3600);
}

}  // namespace
}  // namespace qeltor::testing
