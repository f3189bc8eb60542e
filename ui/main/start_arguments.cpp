#include "start_arguments.h"

#include <CLI/CLI.hpp>

#include <vector>

#include "tarvel_version.h"

namespace tarvel::ui {
namespace {

constexpr const char* kHelp =
    "Usage: tarvel [FORM.frm | FOLDER]\n"
    "Opens the window that converts the menu of a Visual Basic form into an RC MENU resource.\n"
    "With a form, the lists open on its folder with the form selected and the name of its RC\n"
    "file proposed, as if it had been clicked; with a folder, the lists open on that folder.\n"
    "\n"
    "  -h, --help     show this help\n"
    "      --version  show the version\n"
    "\n"
    "Exit status: 0, or 2 for a usage error (then no window opens).\n";

StartRequest UsageError(std::ostream& err, const std::string& message) {
    err << "tarvel: " << message << "\nTry 'tarvel --help' for more information.\n";
    return StartRequest{false, 2, {}};
}

}  // namespace

StartRequest ParseStartArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{"tarvel", "tarvel"};
    app.set_help_flag();  // our own text
    bool help = false, version = false;
    std::vector<std::string> names;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    app.add_option("name", names);
    app.allow_extras(false);

    // CLI11 wants the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return UsageError(err, error.what());
    }
    if (help) {
        out << kHelp;
        return StartRequest{false, 0, {}};
    }
    if (version) {
        out << "tarvel " TARVEL_VERSION "\n";
        return StartRequest{false, 0, {}};
    }
    // The lists show one directory: a second name could only be ignored unseen.
    if (names.size() > 1) return UsageError(err, "one form or folder at most, not " + std::to_string(names.size()));
    if (names.size() == 1 && names.front().empty()) return UsageError(err, "the name of the form or folder is empty");
    StartRequest request;
    if (!names.empty()) request.name = names.front();
    return request;
}

}  // namespace tarvel::ui
