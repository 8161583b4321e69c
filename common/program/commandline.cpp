#include "common/program/commandline.h"

#include <cstdio>

namespace mirovex {

const char* programVersion()
{
    return MIROVEX_VERSION;
}

std::string usageText(const ProgramUsage& usage)
{
    std::string text = "Usage: " + usage.name + " [--help] [--version]";
    if (!usage.operand.empty())
        text += " [" + usage.operand + "]";
    text += "\n" + usage.summary + "\n\n";
    if (!usage.operand.empty())
        text += "  " + usage.operand + "  " + usage.operandHelp + "\n";
    text += "  -h, --help     show this help and exit\n"
            "  -v, --version  show the version and exit\n";
    return text;
}

CommandLineOutcome readCommandLine(const std::vector<std::string>& arguments, const ProgramUsage& usage)
{
    CommandLineOutcome outcome;
    const auto fail = [&](const std::string& why) {
        outcome.operand.clear();
        outcome.run = false;
        outcome.toError = true;
        outcome.exitCode = 2;
        outcome.text = usage.name + ": " + why + "\n" + usageText(usage);
        return outcome;
    };
    bool operandsOnly = false;
    for (const std::string& argument : arguments) {
        if (!operandsOnly && argument == "--") {
            operandsOnly = true;
            continue;
        }
        const bool option = !operandsOnly && argument.size() > 1 && argument[0] == '-';
        if (option && (argument == "--help" || argument == "-h")) {
            outcome = {};
            outcome.run = false;
            outcome.text = usageText(usage);
            return outcome;
        }
        if (option && (argument == "--version" || argument == "-v")) {
            outcome = {};
            outcome.run = false;
            outcome.text = usage.title + " " + programVersion() + "\n";
            return outcome;
        }
        if (option)
            return fail("unknown option \"" + argument + "\"");
        if (usage.operand.empty() || !outcome.operand.empty())
            return fail("unexpected argument \"" + argument + "\"");
        outcome.operand = argument;
    }
    return outcome;
}

int handleCommandLine(int argc, char** argv, const ProgramUsage& usage, std::string* operand)
{
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    const CommandLineOutcome outcome = readCommandLine(arguments, usage);
    if (operand)
        *operand = outcome.operand;
    if (outcome.run)
        return -1;
    std::fputs(outcome.text.c_str(), outcome.toError ? stderr : stdout);
    std::fflush(outcome.toError ? stderr : stdout);
    return outcome.exitCode;
}

} // namespace mirovex
