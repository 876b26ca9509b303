// A program for the launch tests: writes its working directory and its arguments, one
// per line, to the file named by SARQUEN_LAUNCH_RECORD. The record appears complete or
// not at all, so a test can poll for it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    const char* record = std::getenv("SARQUEN_LAUNCH_RECORD");
    if (record == nullptr || *record == '\0') {
        return 2;
    }
    const std::string partial = std::string(record) + ".partial";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << std::filesystem::current_path().string() << '\n';
        for (int i = 1; i < argc; ++i) {
            out << argv[i] << '\n';
        }
        if (!out) {
            return 1;
        }
    }
    return std::rename(partial.c_str(), record) == 0 ? 0 : 1;
}
