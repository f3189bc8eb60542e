#include "command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iterator>

#include "convert_form.h"
#include "file_io.h"
#include "tarvel_version.h"

namespace tarvel::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHelp =
    "Usage: tarvel-rc [-n N] [--no-define] [--dialog] [-o FILE] FORM.frm [FORM.frm ...]\n"
    "Converts the menu of Visual Basic forms into RC MENU resources.\n"
    "\n"
    "  -n, --first-id N   number of the first item (default 100): decimal with optional sign,\n"
    "                     or &H hex / &O octal; items are numbered on from it and every\n"
    "                     number must lie between 0 and 65535\n"
    "      --no-define    numbers stand in place of names and no #define list is written\n"
    "      --dialog       also write the whole form as a DIALOGEX resource named after it, its\n"
    "                     controls numbered on after the menu; the text then starts with\n"
    "                     #include <windows.h>. A form without a menu gives the dialog alone;\n"
    "                     an MDI form, and a control with no Windows counterpart (written as a\n"
    "                     comment), are named in a warning on standard error\n"
    "  -o, --output FILE  with a single form only: where the RC text goes; \"-\" means standard output\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n"
    "\n"
    "Without -o, each form's RC text goes beside it: Form1.frm gives Form1.rc.\n"
    "A form named \"-\" is read from standard input (with -o); its .frx captions are\n"
    "looked for in the current directory. A form named twice is converted once.\n"
    "Exit status: 0 all converted, 1 a form has no menu (with --dialog: neither menu nor dialog),\n"
    "2 usage error, 3 a file could not be read or written, 4 an item's or control's number falls\n"
    "outside 0 to 65535 (the highest wins).\n";

ParseResult UsageError(std::ostream& err, const std::string& message) {
    err << "tarvel-rc: " << message << "\nTry 'tarvel-rc --help' for more information.\n";
    return ParseResult{false, kUsage, {}};
}

int StatusOf(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::NoMenu: return kNoMenu;
        case ErrorKind::OutputNameEmpty: return kUsage;
        case ErrorKind::ItemNumberOutOfRange: return kNumberOutOfRange;
        case ErrorKind::ControlNumberOutOfRange: return kNumberOutOfRange;
        default: return kFileError;
    }
}

fs::path DefaultOutput(const std::string& form) {
    fs::path output = PathFromUtf8(form);
    output.replace_extension("rc");
    return output;
}

// Two spellings of one file: the same file on the disk, or (before it exists)
// the same absolute path, compared without case where the system does so.
bool SamePlace(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error) && !error) return true;
    std::string left = PathText(fs::absolute(a, error).lexically_normal());
    std::string right = PathText(fs::absolute(b, error).lexically_normal());
#ifdef _WIN32
    for (std::string* text : {&left, &right})
        for (char& c : *text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
#endif
    return left == right;
}

}  // namespace

std::optional<std::int32_t> ParseFirstId(std::string_view text) {
    int radix = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H')) {
        radix = 16;
        text.remove_prefix(2);
    } else if (text.size() > 2 && text[0] == '&' && (text[1] == 'o' || text[1] == 'O')) {
        radix = 8;
        text.remove_prefix(2);
    } else if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text[0] == '+' || text[0] == '-') return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, radix);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

ParseResult ParseArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    ParseResult result{true, kSuccess, {}};
    Options& options = result.options;

    CLI::App app{"tarvel-rc", "tarvel-rc"};
    app.set_help_flag();  // our own help text, with the exit statuses
    bool help = false, version = false, noDefine = false, dialog = false;
    std::string firstId;
    std::string output;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    app.add_flag("--no-define", noDefine)->disable_flag_override();
    app.add_flag("--dialog", dialog)->disable_flag_override();
    // As usual on a command line, an option given twice takes its last value.
    app.add_option("-n,--first-id", firstId)->type_name("N")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("-o,--output", output)->type_name("FILE")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("forms", options.forms);
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
        return ParseResult{false, kSuccess, {}};
    }
    if (version) {
        out << "tarvel-rc " TARVEL_VERSION "\n";
        return ParseResult{false, kSuccess, {}};
    }
    options.useDefines = !noDefine;
    options.dialog = dialog;
    if (app.count("--first-id") > 0) {
        const std::optional<std::int32_t> id = ParseFirstId(firstId);
        if (!id)
            return UsageError(err, "first ID '" + firstId +
                                       "' is not a number (decimal, &H hex or &O octal) that fits a signed 32-bit integer");
        options.firstId = *id;
    }
    if (app.count("--output") > 0) {
        if (output.empty()) return UsageError(err, "option '-o' needs a file name");
        options.output = output;
    }
    if (options.forms.empty()) return UsageError(err, "no form given");
    if (std::any_of(options.forms.begin(), options.forms.end(), [](const std::string& f) { return f.empty(); }))
        return UsageError(err, "empty file name");

    // A form named twice is converted once.
    std::vector<std::string> forms;
    for (const std::string& form : options.forms) {
        const bool seen = std::any_of(forms.begin(), forms.end(), [&](const std::string& earlier) {
            return earlier == form || (form != "-" && earlier != "-" && SamePlace(PathFromUtf8(earlier), PathFromUtf8(form)));
        });
        if (!seen) forms.push_back(form);
    }
    options.forms = std::move(forms);

    if (options.output && options.forms.size() > 1) return UsageError(err, "option '-o' takes a single form only");
    const bool fromStandardInput = std::find(options.forms.begin(), options.forms.end(), "-") != options.forms.end();
    if (fromStandardInput && !options.output)
        return UsageError(err, "a form read from standard input needs -o to say where its RC text goes");
    if (!options.output) {
        for (std::size_t i = 0; i < options.forms.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (SamePlace(DefaultOutput(options.forms[i]), DefaultOutput(options.forms[j])))
                    return UsageError(err, "'" + options.forms[j] + "' and '" + options.forms[i] +
                                               "' would both write " + PathText(DefaultOutput(options.forms[i])));
    }
    return result;
}

int Run(const Options& options, std::ostream& out, std::ostream& err, std::istream& in) {
    int status = kSuccess;
    const bool toStandardOutput = options.output && *options.output == "-";
    for (const std::string& form : options.forms) {
        ConversionRequest request;
        request.rc.firstId = options.firstId;
        request.rc.useDefines = options.useDefines;
        request.rc.dialog = options.dialog;
        std::string formBytes;
        if (form == "-") {
            // Its .frx files are looked for in the current directory.
            formBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) {
                err << "tarvel-rc: cannot read the form from standard input\n";
                status = std::max(status, static_cast<int>(kFileError));
                continue;
            }
            request.form = "-";
            request.formBytes = formBytes;
        } else {
            request.form = PathFromUtf8(form);
        }

        std::string text;
        Destination destination;
        if (toStandardOutput) destination.text = &text;
        else destination.file = options.output ? PathFromUtf8(*options.output) : DefaultOutput(form);

        const Result<ConversionReport> converted = ConvertForm(request, destination);
        if (!converted) {
            err << Describe(converted.error()) << '\n';
            status = std::max(status, StatusOf(converted.error().kind));
            continue;
        }
        for (const std::string& warning : converted.value().warnings) err << "tarvel-rc: warning: " << warning << '\n';
        if (toStandardOutput) {
            out << text << "\r\n";
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
