#include "common/program/commandline.h"

#include <gtest/gtest.h>

using mirovex::ProgramUsage;
using mirovex::readCommandLine;

namespace {

const ProgramUsage display{"mirovex", "Mirovex", "Mirrors the desktop.", "", ""};
const ProgramUsage annotate{"mirovex-annotate", "annotate", "Draws on the screen.", "WINDOW", "the toolbar's id"};

TEST(CommandLine, OptionsOfBothPrograms)
{
    const std::string version = std::string(" ") + mirovex::programVersion() + "\n";
    const struct {
        const ProgramUsage* usage;
        std::vector<std::string> arguments;
        bool run;
        int exitCode;
        bool toError;
        std::string textStart; // "" for no text
        std::string operand;
    } cases[] = {
        {&display, {}, true, 0, false, "", ""},
        {&display, {"--version"}, false, 0, false, "Mirovex" + version, ""},
        {&display, {"-v"}, false, 0, false, "Mirovex" + version, ""},
        {&display, {"--help"}, false, 0, false, "Usage: mirovex [--help] [--version]\n", ""},
        {&display, {"-h", "--bogus"}, false, 0, false, "Usage: mirovex", ""},
        {&display, {"--bogus"}, false, 2, true, "mirovex: unknown option \"--bogus\"\nUsage: mirovex", ""},
        {&display, {"-"}, false, 2, true, "mirovex: unexpected argument \"-\"", ""},
        // The display program takes no argument at all.
        {&display, {"12345"}, false, 2, true, "mirovex: unexpected argument \"12345\"", ""},
        {&display, {"--version=2"}, false, 2, true, "mirovex: unknown option", ""},
        {&annotate, {"12345"}, true, 0, false, "", "12345"},
        {&annotate, {"--", "-7"}, true, 0, false, "", "-7"},
        {&annotate, {"--version"}, false, 0, false, "annotate" + version, ""},
        {&annotate, {"--help"}, false, 0, false, "Usage: mirovex-annotate [--help] [--version] [WINDOW]\n", ""},
        {&annotate, {"1", "2"}, false, 2, true, "mirovex-annotate: unexpected argument \"2\"", ""},
        {&annotate, {"--bogus", "1"}, false, 2, true, "mirovex-annotate: unknown option", ""},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.arguments)
            joined += a + " ";
        SCOPED_TRACE(c.usage->name + " " + joined);
        const auto outcome = readCommandLine(c.arguments, *c.usage);
        EXPECT_EQ(outcome.run, c.run);
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_EQ(outcome.toError, c.toError);
        EXPECT_EQ(outcome.text.substr(0, c.textStart.size()), c.textStart) << outcome.text;
        EXPECT_EQ(outcome.text.empty(), c.textStart.empty());
        EXPECT_EQ(outcome.operand, c.operand);
    }
}

TEST(CommandLine, TheVersionIsTheProjectsOwn)
{
    const std::string version = mirovex::programVersion();
    ASSERT_FALSE(version.empty());
    EXPECT_NE(version.find('.'), std::string::npos) << version;
}

} // namespace
