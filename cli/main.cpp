// The command line's entry. The same executable is the coordinator that the user starts,
// each of its workers, and every sub-process that the engine starts with a "--type="
// argument.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/coordinator.h"
#include "cli/worker.h"
#include "platform/process_arguments.h"
#include "startup/tcef_application.h"
#include "startup/tcef_process_type.h"

int main(int argc, char** argv) {
    using namespace quillmoor;
    const ProcessArguments arguments(argc, argv);
    if (ProcessTypeFromArguments(arguments.Arguments()) != TCefProcessType::ptBrowser) {
        // The engine's sub-process: the engine does its work and the process ends.
        TCefApplication application(arguments);
        application.StartMainProcess();
        return 0;
    }

    const cli::ParsedCommandLine parsed =
        cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s\nTry 'quillmoor-cli --help'.\n", parsed.error.c_str());
        return 2;
    }
    switch (parsed.command) {
        case cli::CliCommand::kHelp:
            std::fputs(cli::HelpText().c_str(), stdout);
            return 0;
        case cli::CliCommand::kVersion:
            std::fputs(cli::VersionText().c_str(), stdout);
            return 0;
        case cli::CliCommand::kWorker:
            return cli::RunWorker(argc, argv, parsed.options);
        case cli::CliCommand::kRun:
            break;
    }
    return cli::RunCoordinator(parsed.options);
}
