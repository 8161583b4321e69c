// A second writer process for the settings tests:
//   settings_writer FILE PREFIX COUNT
// writes keys PREFIX0..PREFIX<COUNT-1> one commit each, printing "ready" first
// so the parent can time a kill.
#include "common/settings/settingsfile.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const std::string prefix = argv[2];
    const int count = std::atoi(argv[3]);
    std::puts("ready");
    std::fflush(stdout);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::string key = prefix + std::to_string(i);
        if (!mirovex::SettingsEdit(path).setInt("Options", key.c_str(), i).commit())
            ++failed;
    }
    return failed == 0 ? 0 : 1;
}
