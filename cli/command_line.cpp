#include "command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include "ascii.h"
#include "convert_form.h"
#include "delivery.h"
#include "file_io.h"
#include "name_table.h"
#include "standard_options.h"
#include "tarvel_version.h"
#include "utf8.h"

namespace tarvel::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHelp =
    "Usage: tarvel-rc [OPTIONS] [-o FILE] FORM.frm [FORM.frm ...]\n"
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
    "For Win32 programs (without them the RC text is the window's, byte for byte):\n"
    "      --shortcuts    an item's Shortcut after a tab in its caption, and an accelerator table:\n"
    "                     MENUITEM \"&Open\\tCtrl+O\", mnuOpen  and  Glowne ACCELERATORS\n"
    "                     { \"O\", mnuOpen, VIRTKEY, CONTROL }; other keys as VK_F1 with --dialog, else\n"
    "                     as 112 with // VK_F1 beside; an unknown code is left out with a warning\n"
    "      --context-menus  a hidden top-level menu with items becomes a MENU of its own after\n"
    "                     Glowne, named after it, its items in one POPUP of its caption\n"
    "                     (mnuPopup MENU { POPUP \"Popup\" { ... } }: GetSubMenu(menu, 0) is the menu\n"
    "                     to track); numbering continues\n"
    "                     across them; a hidden top-level item without items is left out, and\n"
    "                     a form whose every top-level menu is hidden gets no Glowne\n"
    "      --gray-popups  a disabled sub-menu is greyed: POPUP \"&Recent\", GRAYED\n"
    "      --code-page N|auto  the RC text begins with #pragma code_page(N), e.g. 1250; auto gives\n"
    "                     65001 when every caption and text is UTF-8, else the code page of the\n"
    "                     character set the form's fonts name (Charset 238: 1250, 128: 932, ...),\n"
    "                     else the system's ANSI code page\n"
    "      --header FILE  with a single form only: the #define list goes into the C header FILE,\n"
    "                     and the RC text has #include \"FILE\" in its place (menu.h: #define mnuOpen 100),\n"
    "                     FILE written from the RC file's folder (\"../inc/menu.h\"), as given with -o -;\n"
    "                     a name that C, C++ or <windows.h> already has (new, exit, IDOK) keeps its number\n"
    "                     with a comment naming it, as with --dialog and --masm\n"
    "      --masm FILE    with a single form only: the same numbers for assembly (mnuOpen equ 100)\n"
    "      --depfile FILE  with a single form only, its RC text in a file: a Make-style rule as\n"
    "                     compilers' -MD -MP write (Form1.rc ids.h: Form1.frm Form1.frx), so make and\n"
    "                     ninja convert again when the form or a .frx file it read changes\n"
    "      --program FILE.c  with a single form and --header only (implies --dialog): the form as a\n"
    "                     C program (C99, <windows.h>, wide calls) that shows the dialog with its menu,\n"
    "                     sets its start values, list items, fonts, colours, timers and tabs, and\n"
    "                     calls a function for each event handler of the form's code that Windows\n"
    "                     tells of (mnuOpen_Click, Command1_Click, Timer1_Timer, Form_Load, ...),\n"
    "                     its body the handler's Visual Basic code in a comment; the rest of the code\n"
    "                     follows in a comment at the end. Built with -DTARVEL_TRACE, each handler\n"
    "                     appends its name to the file the environment variable TARVEL_TRACE names\n"
    "      --menu-name NAME  the main menu's resource (and its accelerator table's) is NAME,\n"
    "                     not Glowne: an ASCII identifier that C, C++ and <windows.h> leave free\n"
    "      --prefix TEXT  TEXT before every name that is #defined: --prefix IDM_ gives\n"
    "                     #define IDM_mnuOpen 100 ; the whole name must still be\n"
    "                     free in C, C++ and <windows.h>, else its number stands in its place\n"
    "      --pictures     the form's pictures as resources, each written beside the RC file: the\n"
    "                     form's Icon first (Form1.ico, frmMain_Icon ICON), then each control's\n"
    "                     Picture, DownPicture and DisabledPicture (Form1_picLogo.bmp, picLogo_Picture\n"
    "                     BITMAP), the pointers MouseIcon and DragIcon (Form1_Label1_MouseIcon.cur,\n"
    "                     Label1_MouseIcon CURSOR: a cursor stays a cursor, an icon an icon), an SSTab's\n"
    "                     TabPicture(n) (Form1_SSTab1_TabPicture2.bmp), a StatusBar panel's Picture\n"
    "                     (Form1_StatusBar1_PanelPicture1.ico) and an ImageList's images\n"
    "                     (Form1_ImageList1_1.bmp), numbered from 1 and #defined;\n"
    "                     GIF and JPEG become BMP, any other cursor an icon, and a metafile is\n"
    "                     written as it is but named in no resource (a dialog cannot show it). With\n"
    "                     --dialog a PictureBox or Image shows its picture (SS_BITMAP, SS_ICON) and a\n"
    "                     graphical CommandButton, CheckBox or OptionButton gets BS_BITMAP or BS_ICON\n"
    "                     (the last two are BS_PUSHLIKE with --dialog alone). A picture that cannot be\n"
    "                     read is left out with a warning. Not with -o -: the files need a folder\n"
    "      --tidy         the same resources with every block indented by its depth, no empty\n"
    "                     line before a POPUP and none at the start (the default is the window's layout)\n"
    "      --all          --shortcuts --context-menus --gray-popups --code-page auto --dialog\n"
    "                     --pictures (but for -o -, which has no folder for them)\n"
    "\n"
    "Without -o, each form's RC text goes beside it: Form1.frm gives Form1.rc.\n"
    "A form named \"-\" is read from standard input (with -o); its .frx captions are\n"
    "looked for in the current directory. A form named twice is converted once.\n"
    "Warnings (such as an unknown shortcut or control, or a caption whose .frx file cannot be read,\n"
    "which is left empty) go to standard error and do not change the exit status. Messages name\n"
    "the file and, where one line is at fault, the line: tarvel-rc: Form1.frm:42: ...\n"
    "Exit status: 0 all converted, 1 a file is not a form or a form has no menu (with --dialog:\n"
    "neither menu nor dialog; with --pictures: nor a picture), 2 usage error (also an output that\n"
    "would overwrite a form, or one named like a picture the run writes), 3 a file could not be read or written, 4 an item's or control's\n"
    "number falls outside 0 to 65535 (the highest wins).\n";

// What --all turns on: every addition to the RC text that needs no file named
// on the command line. An option given beside it (--code-page 1250) still has its say.
void TurnOnAll(RcOptions& options, bool toStandardOutput) {
    options.shortcuts = true;
    options.pictures = !toStandardOutput;
    options.contextMenus = true;
    options.grayPopups = true;
    options.dialog = true;
    if (options.codePage == 0) options.codePage = RcOptions::kAutoCodePage;
}

ParseResult UsageError(std::ostream& err, const std::string& message) {
    command_line::TellUsageError(err, "tarvel-rc", message);
    return ParseResult{false, kUsage, {}};
}

// CLI11's own words for a command line it refuses, in the words of the rest of the program.
std::string PlainWords(const CLI::ParseError& error) {
    const std::string message = error.what();
    if (const std::size_t at = message.find(" was given a disallowed flag override"); at != std::string::npos)
        return "option '--" + message.substr(0, at) + "' takes no value";
    const std::size_t colon = message.find(": ");
    if (colon != std::string::npos && message.ends_with(" missing")) {
        const std::string name = message.substr(0, colon);
        if (name == "--first-id") return "option '--first-id' needs a number";
        if (name == "--code-page") return "option '--code-page' needs a number or 'auto'";
        if (name == "--prefix") return "option '--prefix' needs a text";
        if (name == "--menu-name") return "option '--menu-name' needs a name";
        if (name == "--program") return "option '--program' needs a file name";
        return "option '" + name + "' needs a file name";
    }
    return message;
}

fs::path DefaultOutput(const std::string& form) {
    fs::path output = PathFromUtf8(form);
    output.replace_extension("rc");
    return output;
}

// How the RC text names its header: the way from the RC file's folder to it,
// with forward slashes, as every resource compiler looks beside the RC file
// first and reads them on every system. On standard output the RC text has no
// folder, and the header is named as given.
std::string IncludeName(const std::string& header, const fs::path& rcFile) {
    if (rcFile.empty()) return header;
    std::error_code error;
    const fs::path path = fs::absolute(PathFromUtf8(header), error).lexically_normal();
    const fs::path folder = fs::absolute(rcFile, error).lexically_normal().parent_path();
    fs::path way = path.lexically_relative(folder);
    // Another drive has no way there from the folder but the whole path.
    if (way.empty()) way = path;
    const std::u8string text = way.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

int ExitStatusOf(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::NotAForm:
        case ErrorKind::NoMenu:
            return kNoMenu;
        case ErrorKind::OutputNameEmpty:
        case ErrorKind::OutputIsForm:
        case ErrorKind::OutputIsInput:
        case ErrorKind::OutputsShareAFile:
            return kUsage;
        case ErrorKind::ItemNumberOutOfRange:
        case ErrorKind::ControlNumberOutOfRange:
            return kNumberOutOfRange;
        case ErrorKind::FormUnreadable:
        case ErrorKind::NotARegularFile:
        case ErrorKind::FormLineTooLong:
        case ErrorKind::FrxEntryTooLong:
        case ErrorKind::FrxUnreadable:
        case ErrorKind::FrxOutOfRange:
        case ErrorKind::OutputUnwritable:
        case ErrorKind::OutputLinkRefused:
        case ErrorKind::OutputIncomplete:
        case ErrorKind::OutputFolderNotFlushed:
        case ErrorKind::OutOfMemory:
            return kFileError;
    }
    return kFileError;
}

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
    RcOptions& rc = options.rc;

    CLI::App app{"tarvel-rc", "tarvel-rc"};
    command_line::StandardFlags standard;  // our own help text, with the exit statuses
    command_line::AddStandardFlags(app, standard);
    bool noDefine = false, all = false;
    std::string firstId, output, codePage, header, masm, depfile, prefix, menuName, program;
    app.add_flag("--no-define", noDefine)->disable_flag_override();
    app.add_flag("--dialog", rc.dialog)->disable_flag_override();
    // As usual on a command line, an option given twice takes its last value.
    app.add_option("-n,--first-id", firstId)->type_name("N")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("-o,--output", output)->type_name("FILE")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("--shortcuts", rc.shortcuts)->disable_flag_override();
    app.add_flag("--context-menus", rc.contextMenus)->disable_flag_override();
    app.add_flag("--gray-popups", rc.grayPopups)->disable_flag_override();
    app.add_flag("--all", all)->disable_flag_override();
    app.add_flag("--tidy", rc.tidy)->disable_flag_override();
    app.add_flag("--pictures", rc.pictures)->disable_flag_override();
    app.add_option("--code-page", codePage)->type_name("N|auto")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--header", header)->type_name("FILE")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--masm", masm)->type_name("FILE")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--depfile", depfile)->type_name("FILE")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--program", program)->type_name("FILE")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--menu-name", menuName)->type_name("NAME")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--prefix", prefix)->type_name("TEXT")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("forms", options.forms);
    // Unknown options are told in our words, below.
    app.allow_extras(true);

    if (const std::optional<CLI::ParseError> refused = command_line::Parse(app, arguments))
        return UsageError(err, PlainWords(*refused));
    if (standard.help) {
        out << kHelp;
        return ParseResult{false, kSuccess, {}};
    }
    if (standard.version) {
        out << "tarvel-rc " TARVEL_VERSION "\n";
        return ParseResult{false, kSuccess, {}};
    }
    for (const std::string& extra : app.remaining())
        return UsageError(err, "unknown option '" + extra + "'");
    rc.useDefines = !noDefine;
    if (app.count("--first-id") > 0) {
        const std::optional<std::int32_t> id = ParseFirstId(firstId);
        if (!id)
            return UsageError(err, "first ID '" + firstId +
                                       "' is not a number (decimal, &H hex or &O octal) that fits a signed 32-bit integer");
        rc.firstId = *id;
    }
    if (app.count("--output") > 0) {
        if (output.empty()) return UsageError(err, "option '-o' needs a file name");
        options.output = output;
    }
    if (app.count("--code-page") > 0) {
        int number = 0;
        const auto [end, error] = std::from_chars(codePage.data(), codePage.data() + codePage.size(), number);
        if (codePage == "auto") rc.codePage = RcOptions::kAutoCodePage;
        else if (error == std::errc() && end == codePage.data() + codePage.size() && number >= 1 && number <= 65535)
            rc.codePage = number;
        else return UsageError(err, "code page '" + codePage + "' is neither a number from 1 to 65535 nor 'auto'");
    }
    const bool toStandardOutput = options.output && *options.output == "-";
    // The pictures' files go beside the RC file: standard output has no folder for them.
    if (rc.pictures && toStandardOutput)
        return UsageError(err, "option '--pictures' writes files beside the RC file, which '-o -' does not have");
    if (all) TurnOnAll(rc, toStandardOutput);
    if (app.count("--menu-name") > 0) {
        if (menuName != rc.menuName && !IsUsableRcName(menuName))
            return UsageError(err, "menu name '" + menuName +
                                       "' is no name every resource compiler reads alike (an ASCII identifier that is no "
                                       "word of RC, C or C++ and no macro of <windows.h>)");
        rc.menuName = menuName;
    }
    if (app.count("--prefix") > 0) {
        // Only what can begin a C identifier: a prefix that could not would leave every name a number.
        const bool identifier = !prefix.empty() && !IsAsciiDigit(prefix[0]) && std::all_of(prefix.begin(), prefix.end(), [](char c) {
            return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_';
        });
        if (!identifier) return UsageError(err, "prefix '" + prefix + "' cannot begin a C identifier (letters, digits, '_')");
        if (noDefine) return UsageError(err, "option '--prefix' needs the names that --no-define leaves out");
        rc.definePrefix = prefix;
    }
    for (const auto& [name, value, target] : {std::tuple{"--header", &header, &options.header},
                                              std::tuple{"--masm", &masm, &options.masm},
                                              std::tuple{"--program", &program, &options.program}}) {
        if (app.count(name) == 0) continue;
        if (value->empty()) return UsageError(err, std::string("option '") + name + "' needs a file name");
        if (noDefine) return UsageError(err, std::string("option '") + name + "' needs the names that --no-define leaves out");
        *target = *value;
    }
    if (app.count("--depfile") > 0) {
        if (depfile.empty()) return UsageError(err, "option '--depfile' needs a file name");
        options.depfile = depfile;
    }
    // The RC text names the header in #include "...", which has no escapes.
    if (options.header && std::any_of(options.header->begin(), options.header->end(), [](char c) {
            return c == '"' || static_cast<unsigned char>(c) < 0x20;
        }))
        return UsageError(err, "header name '" + *options.header + "' cannot be written in an #include line");
    if (options.program) {
        // The program's ids are the header's names, and its window is the dialog.
        if (!options.header) return UsageError(err, "option '--program' needs --header FILE for the ids it uses");
        if (*options.program == "-") return UsageError(err, "option '--program' needs a file, not standard output");
        rc.dialog = true;
        rc.program = true;
    }
    // Whoever reads the program's sources beside the text is told what a number stands for.
    rc.numberComments = rc.dialog || options.header || options.masm;
    if (options.forms.empty()) return UsageError(err, "no form given");
    if (std::any_of(options.forms.begin(), options.forms.end(), [](const std::string& f) { return f.empty(); }))
        return UsageError(err, "empty file name");

    // A form named twice is converted once.
    std::vector<std::string> forms;
    std::set<std::string> places;
    for (const std::string& form : options.forms)
        if (form == "-" ? std::find(forms.begin(), forms.end(), "-") == forms.end()
                        : places.insert(PlaceOf(PathFromUtf8(form))).second)
            forms.push_back(form);
    options.forms = std::move(forms);

    if (options.output && options.forms.size() > 1) return UsageError(err, "option '-o' takes a single form only");
    if (options.header && options.forms.size() > 1) return UsageError(err, "option '--header' takes a single form only");
    if (options.masm && options.forms.size() > 1) return UsageError(err, "option '--masm' takes a single form only");
    if (options.depfile && options.forms.size() > 1) return UsageError(err, "option '--depfile' takes a single form only");
    if (options.depfile && options.output == "-")
        return UsageError(err, "option '--depfile' needs the RC text in a file, not on standard output");
    if (options.program && options.forms.size() > 1) return UsageError(err, "option '--program' takes a single form only");
    const bool fromStandardInput = std::find(options.forms.begin(), options.forms.end(), "-") != options.forms.end();
    if (fromStandardInput && !options.output)
        return UsageError(err, "a form read from standard input needs -o to say where its RC text goes");

    // Every file written, by the form that writes it; no two may be one, and none may be a form.
    std::vector<std::pair<std::string, const std::string*>> written;
    for (const std::string& form : options.forms) {
        if (options.output && *options.output != "-") written.emplace_back(*options.output, &form);
        else if (!options.output) written.emplace_back(Utf8FromPath(DefaultOutput(form)), &form);
    }
    for (const std::optional<std::string>& file : {options.header, options.masm, options.program})
        if (file) written.emplace_back(*file, &options.forms[0]);
    // A make rule has no way to write a line break in a name.
    if (options.depfile) {
        std::vector<std::string> named = {options.forms[0]};
        for (const auto& [file, form] : written) named.push_back(file);
        for (const std::string& name : named)
            if (name.find_first_of("\r\n") != std::string::npos)
                return UsageError(err, "'" + name + "' cannot be named in a dependency file: its name holds a line break");
        written.emplace_back(*options.depfile, &options.forms[0]);
    }
    std::map<std::string, std::size_t> writers;  // each output's place, and the first that writes it
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto& [file, form] = written[i];
        const std::string place = PlaceOf(PathFromUtf8(file));
        if (places.contains(place))
            return UsageError(err, "'" + file + "' is a form given to convert; no output may overwrite it");
        const auto [earlier, added] = writers.emplace(place, i);
        if (added) continue;
        const auto& [earlierFile, earlierForm] = written[earlier->second];
        if (earlierForm != form)
            return UsageError(err, "'" + *earlierForm + "' and '" + *form + "' would both write " + file);
        return UsageError(err, "'" + earlierFile + "' and '" + file + "' name one file for two outputs");
    }
    return result;
}

int Run(const Options& options, std::ostream& out, std::ostream& err, std::FILE* in) {
    int status = kSuccess;
    const bool toStandardOutput = options.output && *options.output == "-";
    auto fail = [&](const ConvertError& error) {
        err << "tarvel-rc: " << Describe(error) << '\n';
        status = std::max(status, ExitStatusOf(error.kind));
    };
    // Files are put in place a batch at a time: one wait for the disk for many
    // forms. A batch keeps its files open until then, so it holds at most half
    // of the files the process may open (the rest is for the forms, their .frx
    // files and the folders), and it keeps the texts of files rewritten in place
    // in memory, so it holds a bounded amount of them.
    constexpr std::size_t kFilesAConversionOpens = 5;  // the RC file, the header, the MASM file, the depfile, the program
    constexpr std::size_t kMostHeldBytes = 64 * 1024 * 1024;
    const std::size_t batchFiles = std::clamp<std::size_t>(OpenFileLimit() / 2, kFilesAConversionOpens, 768);
    SaveBatch batch;
    std::set<std::string> pictureFiles;  // two forms' pictures never share a file
    FolderListings folderListings;       // each form's folder listed at most once for the run
    auto placeBatch = [&] {
        for (const Status& placed : batch.Commit())
            if (!placed) fail(placed.error());
    };
    for (const std::string& form : options.forms) {
        ConversionRequest request;
        request.rc = options.rc;
        request.folderListings = &folderListings;
        if (form == "-") {
            // Read as a file is, a piece at a time; its .frx files are looked for in the current directory.
            FileFacts facts;
            if (const std::error_code error = InspectStream(in, facts)) {
                err << "tarvel-rc: cannot read standard input: " << error.message() << '\n';
                status = std::max(status, static_cast<int>(kFileError));
                continue;
            }
            request.form = "-";
            request.formName = "standard input";
            request.formStream = in;
        } else {
            request.form = PathFromUtf8(form);
            request.formName = form;
        }

        if (batch.OpenFiles() + kFilesAConversionOpens > batchFiles || batch.HeldBytes() > kMostHeldBytes) placeBatch();
        std::string text;
        Destination destination;
        if (toStandardOutput) {
            destination.text = &text;
        } else {
            destination.file = options.output ? PathFromUtf8(*options.output) : DefaultOutput(form);
            destination.batch = &batch;
        }
        if (options.header) {
            destination.header = PathFromUtf8(*options.header);
            request.rc.includeFile = IncludeName(*options.header, destination.file);
        }
        if (options.masm) destination.masm = PathFromUtf8(*options.masm);
        if (options.depfile) destination.depfile = PathFromUtf8(*options.depfile);
        if (options.program) {
            destination.program = PathFromUtf8(*options.program);
            destination.programHeader = IncludeName(*options.header, destination.program);
        }
        destination.pictureFiles = &pictureFiles;

        // Each form on its own: whatever goes wrong with one is told, and the forms after it are still converted.
        std::optional<Result<ConversionReport>> converted;
        try {
            converted.emplace(ConvertForm(request, destination));
        } catch (const std::exception& failure) {
            err << "tarvel-rc: " << request.formName << ": " << failure.what() << '\n';
            status = std::max(status, static_cast<int>(kFileError));
            continue;
        }
        if (!*converted) {
            fail(converted->error());
            continue;
        }
        for (const std::string& warning : converted->value().warnings) err << "tarvel-rc: warning: " << warning << '\n';
        if (toStandardOutput) {
            out << text << "\r\n";
            out.flush();
            if (!out) {
                err << "tarvel-rc: standard output: cannot write the RC text\n";
                status = std::max(status, static_cast<int>(kFileError));
            }
        }
    }
    placeBatch();
    return status;
}

int Main(std::span<const std::string> arguments, std::ostream& out, std::ostream& err, std::FILE* in) {
    // The last guard: nothing escapes main as an abort.
    try {
        const ParseResult parsed = ParseArguments(arguments, out, err);
        if (!parsed.run) return parsed.status;
        return Run(parsed.options, out, err, in);
    } catch (const std::exception& failure) {
        err << "tarvel-rc: " << failure.what() << '\n';
    } catch (...) {
        err << "tarvel-rc: unexpected failure\n";
    }
    return kFileError;
}

}  // namespace tarvel::cli
