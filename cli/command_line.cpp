#include "command_line.h"

#include <algorithm>
#include <filesystem>

#include "conversion_command.h"
#include "file_io.h"
#include "leading_number.h"
#include "tarvel_version.h"

namespace tarvel::cli {
namespace {

constexpr const char* kHelp =
    "Usage: tarvel-rc [-n N] [--no-define] [-o FILE] FORM.frm [FORM.frm ...]\n"
    "Converts the menu of Visual Basic forms into RC MENU resources.\n"
    "\n"
    "  -n, --first-id N   number of the first item (default 100): decimal with optional sign,\n"
    "                     or &H hex / &O octal; must fit a signed 32-bit integer\n"
    "      --no-define    numbers stand in place of names and no #define list is written\n"
    "  -o, --output FILE  with a single form only: where the RC text goes; \"-\" means standard output\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n"
    "\n"
    "Without -o, each form's RC text goes beside it: Form1.frm gives Form1.rc.\n"
    "Exit status: 0 all converted, 1 a form has no menu, 2 usage error, 3 a file could not be\n"
    "read or written.\n";

ParseResult UsageError(std::ostream& err, const std::string& message) {
    err << "tarvel-rc: " << message << "\nTry 'tarvel-rc --help' for more information.\n";
    return ParseResult{false, kUsage, {}};
}

int StatusOf(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::NoMenu: return kNoMenu;
        case ErrorKind::FirstIdOutOfRange:
        case ErrorKind::IdOutOfRange:
        case ErrorKind::OutputNameEmpty: return kUsage;
        default: return kFileError;
    }
}

}  // namespace

ParseResult ParseArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    ParseResult result{true, kSuccess, {}};
    Options& options = result.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            options.forms.push_back(argument);
            continue;
        }
        // "--first-id=N" and "--first-id N" alike.
        std::string name = argument;
        std::optional<std::string> value;
        if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        auto takeValue = [&]() -> bool {
            if (value) return true;
            if (i + 1 >= arguments.size()) return false;
            value = arguments[++i];
            return true;
        };
        if (name == "--") {
            optionsEnded = true;
        } else if (name == "-h" || name == "--help") {
            out << kHelp;
            return ParseResult{false, kSuccess, {}};
        } else if (name == "--version") {
            out << "tarvel-rc " TARVEL_VERSION "\n";
            return ParseResult{false, kSuccess, {}};
        } else if (name == "--no-define") {
            if (value) return UsageError(err, "option '--no-define' takes no value");
            options.useDefines = false;
        } else if (name == "-n" || name == "--first-id") {
            if (!takeValue()) return UsageError(err, "option '" + name + "' needs a number");
            if (!ReadLeadingNumber(*value))
                return UsageError(err, "first ID '" + *value + "' does not fit a signed 32-bit integer");
            options.firstIdText = *value;
        } else if (name == "-o" || name == "--output") {
            if (!takeValue()) return UsageError(err, "option '" + name + "' needs a file name");
            if (value->empty()) return UsageError(err, "option '" + name + "' needs a file name");
            options.output = *value;
        } else {
            return UsageError(err, "unknown option '" + argument + "'");
        }
    }
    if (options.forms.empty()) return UsageError(err, "no form given");
    if (options.output && options.forms.size() > 1)
        return UsageError(err, "option '-o' takes a single form only");
    return result;
}

int Run(const Options& options, std::ostream& out, std::ostream& err) {
    int status = kSuccess;
    for (const std::string& form : options.forms) {
        ConversionRequest request;
        request.form = PathFromUtf8(form);
        request.firstIdText = options.firstIdText;
        request.useDefines = options.useDefines;
        const bool toStandardOutput = options.output && *options.output == "-";
        request.target = toStandardOutput ? Target::Clipboard : Target::File;
        if (options.output) {
            request.output = PathFromUtf8(*options.output);
        } else {
            request.output = request.form;
            request.output.replace_extension("rc");
        }

        MainFormState state;
        const Result<std::string> text = RunConversion(state, request);
        if (!text) {
            err << Describe(text.error()) << '\n';
            status = std::max(status, StatusOf(text.error().kind));
            continue;
        }
        if (toStandardOutput) {
            out << text.value() << "\r\n";
            out.flush();
            if (!out) {
                err << "tarvel-rc: cannot write to standard output\n";
                status = std::max(status, static_cast<int>(kFileError));
            }
        }
    }
    return status;
}

}  // namespace tarvel::cli
