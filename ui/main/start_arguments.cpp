#include "start_arguments.h"

#include <vector>

#include "standard_options.h"
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
    command_line::TellUsageError(err, "tarvel", message);
    return StartRequest{false, 2, {}};
}

}  // namespace

StartRequest ParseStartArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{"tarvel", "tarvel"};
    command_line::StandardFlags standard;  // our own text
    command_line::AddStandardFlags(app, standard);
    std::vector<std::string> names;
    app.add_option("name", names);
    app.allow_extras(false);

    if (const std::optional<CLI::ParseError> refused = command_line::Parse(app, arguments))
        return UsageError(err, refused->what());
    if (standard.help) {
        out << kHelp;
        return StartRequest{false, 0, {}};
    }
    if (standard.version) {
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
