// Stands in for the installed product in the tests that start, find or end
// it (copied under the product's name):
//
//   test_sleeper          writes its working folder and, on a second line,
//                         QT_SCALE_FACTOR (or "unset") into launched_from.txt
//                         beside its own executable, with "\n" line ends on
//                         every system, and ends (the launch test)
//   test_sleeper --wait   waits to be found and ended; ends by itself with
//                         exit code 3 after two minutes, so that a failed test
//                         leaves nothing behind and a test can tell it was
//                         not ended
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::string scaleVariable()
{
    const char *value = std::getenv("QT_SCALE_FACTOR");
    return value ? value : "unset";
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::string(argv[1]) == "--wait") {
        std::this_thread::sleep_for(std::chrono::minutes(2));
        return 3;
    }

#ifdef _WIN32
    wchar_t self[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0)
        return 1;
    const std::filesystem::path folder = std::filesystem::path(self).parent_path();
    // The folder as Qt writes paths, so the test compares like with like.
    std::string cwd = std::filesystem::current_path().u8string();
    for (char &c : cwd)
        c = c == '\\' ? '/' : c;
    std::ofstream(folder / "launched_from.txt", std::ios::binary) << cwd << '\n' << scaleVariable();
#else
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0)
        return 1;
    std::string folder(self, static_cast<size_t>(length));
    folder.erase(folder.rfind('/'));

    char cwd[4096] = {};
    if (!getcwd(cwd, sizeof(cwd)))
        return 1;
    std::ofstream(folder + "/launched_from.txt", std::ios::binary) << cwd << '\n'
                                                                   << scaleVariable();
#endif
    return 0;
}
