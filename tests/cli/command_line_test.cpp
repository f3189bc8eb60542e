// tarvel-rc's command line, run in-process: the options, the exit statuses,
// where the RC text goes and what a failed conversion leaves behind. Every
// expected RC text here is written out from the conversion rules by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "command_line.h"
#include "file_io.h"
#include "frx_data.h"
#include "tarvel_version.h"

namespace fs = std::filesystem;

namespace {

using tarvel::cli::ParseArguments;
using tarvel::cli::Run;

const std::string kTry = "Try 'tarvel-rc --help' for more information.\n";

// The first worked example of the conversion rules.
const std::string kFileViewForm =
    "VERSION 5.00\r\n"
    "Begin VB.Form Form1 \r\n"
    "   Caption         =   \"Form1\"\r\n"
    "   Begin VB.Menu mnuFile \r\n"
    "      Caption         =   \"&File\"\r\n"
    "      Begin VB.Menu mnuOpen \r\n"
    "         Caption         =   \"&Open\"\r\n"
    "         Shortcut        =   ^O\r\n"
    "      End\r\n"
    "      Begin VB.Menu mnuSep \r\n"
    "         Caption         =   \"-\"\r\n"
    "      End\r\n"
    "      Begin VB.Menu mnuExit \r\n"
    "         Caption         =   \"E&xit\"\r\n"
    "         Enabled         =   0   'False\r\n"
    "      End\r\n"
    "   End\r\n"
    "   Begin VB.Menu mnuView \r\n"
    "      Caption         =   \"&View\"\r\n"
    "      Begin VB.Menu mnuBar \r\n"
    "         Caption         =   \"Tool&bar\"\r\n"
    "         Checked         =   -1  'True\r\n"
    "      End\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"Form1\"\r\n";

const std::string kFileViewWithDefines =
    "#define mnuOpen 100\r\n"
    "#define mnuExit 101\r\n"
    "#define mnuBar 102\r\n"
    "\r\n"
    "\r\n"
    "Glowne MENU\r\n"
    "{\r\n"
    "\r\n"
    "POPUP \"&File\"\r\n"
    "{\r\n"
    "    MENUITEM \"&Open\", mnuOpen\r\n"
    "    MENUITEM SEPARATOR\r\n"
    "    MENUITEM \"E&xit\", mnuExit, GRAYED\r\n"
    "}\r\n"
    "\r\n"
    "POPUP \"&View\"\r\n"
    "{\r\n"
    "    MENUITEM \"Tool&bar\", mnuBar, CHECKED\r\n"
    "}\r\n"
    "}\r\n";

// The second worked example: a sub-menu as the last entry of its POPUP.
const std::string kZoomForm =
    "VERSION 5.00\r\n"
    "Begin VB.Form Form1 \r\n"
    "   Begin VB.Menu mnuView \r\n"
    "      Caption         =   \"&View\"\r\n"
    "      Begin VB.Menu mnuBar \r\n"
    "         Caption         =   \"Tool&bar\"\r\n"
    "      End\r\n"
    "      Begin VB.Menu mnuZoom \r\n"
    "         Caption         =   \"&Zoom\"\r\n"
    "         Begin VB.Menu mnuIn \r\n"
    "            Caption         =   \"Zoom &in\"\r\n"
    "         End\r\n"
    "         Begin VB.Menu mnuOut \r\n"
    "            Caption         =   \"Zoom &out\"\r\n"
    "         End\r\n"
    "      End\r\n"
    "   End\r\n"
    "   Begin VB.Menu mnuHelp \r\n"
    "      Caption         =   \"&Help\"\r\n"
    "      Begin VB.Menu mnuAbout \r\n"
    "         Caption         =   \"&About\"\r\n"
    "      End\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"Form1\"\r\n";

const std::string kZoomNumbered =
    "\r\n"
    "\r\n"
    "Glowne MENU\r\n"
    "{\r\n"
    "\r\n"
    "POPUP \"&View\"\r\n"
    "{\r\n"
    "    MENUITEM \"Tool&bar\", 100\r\n"
    "\r\n"
    "POPUP \"&Zoom\"\r\n"
    "{\r\n"
    "        MENUITEM \"Zoom &in\", 101\r\n"
    "        MENUITEM \"Zoom &out\", 102\r\n"
    "}\r\n"
    "}\r\n"
    "\r\n"
    "POPUP \"&Help\"\r\n"
    "{\r\n"
    "    MENUITEM \"&About\", 103\r\n"
    "}\r\n"
    "}\r\n";

// One item, so that its number shows how the first ID was read.
const std::string kOneItemForm =
    "Begin VB.Form Form1\r\n"
    "   Begin VB.Menu mnuFile\r\n"
    "      Caption = \"&File\"\r\n"
    "      Begin VB.Menu mnuOpen\r\n"
    "         Caption = \"&Open\"\r\n"
    "      End\r\n"
    "   End\r\n"
    "End\r\n";

std::string OneItemText(const std::string& id) {
    return "\r\n\r\nGlowne MENU\r\n{\r\n\r\nPOPUP \"&File\"\r\n{\r\n    MENUITEM \"&Open\", " + id +
           "\r\n}\r\n}\r\n";
}

const std::string kNoMenuForm =
    "VERSION 5.00\r\n"
    "Begin VB.Form Form1 \r\n"
    "   Caption         =   \"Begin VB.Menu is only mentioned here\"\r\n"
    "   Begin VB.CommandButton Command1 \r\n"
    "      Caption         =   \"OK\"\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"Form1\"\r\n";

const std::string kPrevious = "previous contents, not to be lost\r\n";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

/// A stream that reads `bytes`, as standard input does.
tarvel::UniqueFile StreamOf(std::string_view bytes) {
    tarvel::UniqueFile file(std::tmpfile());
    EXPECT_TRUE(file);
    if (!file) return file;
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.get()), bytes.size());
    std::rewind(file.get());
    return file;
}

/// Runs the command line as main does, with its streams captured.
Outcome Tarvel(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    Outcome outcome;
    const tarvel::cli::ParseResult parsed = ParseArguments(arguments, out, err);
    outcome.status = parsed.run ? Run(parsed.options, out, err) : parsed.status;
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

/// Runs the command line in a child process after `prepare` (a limit set
/// there ends with the child); its exit status and messages.
Outcome TarvelInChild(const std::vector<std::string>& arguments, void (*prepare)()) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        prepare();
        const Outcome got = Tarvel(arguments);
        const ssize_t ignored = write(pipeEnds[1], got.err.data(), got.err.size());
        (void)ignored;
        _exit(got.status);
    }
    close(pipeEnds[1]);
    Outcome outcome;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) outcome.err.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int wstatus = 0;
    if (child < 0 || waitpid(child, &wstatus, 0) != child) return {};
    // Ended by a signal: the status a shell shows.
    outcome.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return outcome;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    ASSERT_TRUE(file.good()) << path;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tarvel-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(dir_, ignored))
            if (entry.is_directory(ignored)) fs::permissions(entry.path(), fs::perms::owner_all, ignored);
        fs::remove_all(dir_, ignored);
    }

    /// A form in the test's directory; its path as text.
    std::string Form(const std::string& name, const std::string& bytes) {
        WriteFile(dir_ / name, bytes);
        return (dir_ / name).string();
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    /// The names in the test's directory, sorted: shows leftovers of a failed write.
    std::vector<std::string> Listing(const fs::path& directory) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Listing() const { return Listing(dir_); }

    fs::path dir_;
};

// --- help, version and usage errors ---------------------------------------

TEST_F(CommandLine, HelpListsEveryOptionAndConvertsNothing) {
    const std::string form = Form("Form1.frm", kOneItemForm);
    for (const char* option : {"-h", "--help"}) {
        const Outcome got = Tarvel({option, form});
        EXPECT_EQ(got.status, 0) << option;
        EXPECT_EQ(got.err, "") << option;
        EXPECT_TRUE(got.out.starts_with("Usage: tarvel-rc [OPTIONS] [-o FILE] FORM.frm [FORM.frm ...]\n")) << got.out;
        for (const char* listed : {"-n, --first-id N", "--no-define", "-o, --output FILE", "-h, --help", "--version",
                                   "--shortcuts", "--context-menus", "--gray-popups", "--code-page N|auto",
                                   "--header FILE", "--masm FILE", "--all", "--dialog", "--prefix TEXT", "--menu-name NAME", "--tidy",
                                   "--depfile FILE", "--pictures"})
            EXPECT_NE(got.out.find(listed), std::string::npos) << listed;
    }
    EXPECT_FALSE(fs::exists(Path("Form1.rc")));
}

TEST_F(CommandLine, VersionPrintsTheProjectVersion) {
    const std::string form = Form("Form1.frm", kOneItemForm);
    const Outcome got = Tarvel({"--version", form});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, std::string("tarvel-rc ") + TARVEL_VERSION + "\n");
    EXPECT_EQ(got.err, "");
    EXPECT_FALSE(fs::exists(Path("Form1.rc")));
}

TEST_F(CommandLine, UsageErrorsExitWithTwoAndWriteNothing) {
    const std::string a = Form("A.frm", kOneItemForm);
    const std::string b = Form("B.frm", kOneItemForm);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{}, "tarvel-rc: no form given\n"},
        {{"--no-define"}, "tarvel-rc: no form given\n"},
        {{"--bogus", a}, "tarvel-rc: unknown option '--bogus'\n"},
        {{"-x", a}, "tarvel-rc: unknown option '-x'\n"},
        {{a, "-n"}, "tarvel-rc: option '--first-id' needs a number\n"},
        {{a, "--first-id"}, "tarvel-rc: option '--first-id' needs a number\n"},
        {{a, "-o"}, "tarvel-rc: option '--output' needs a file name\n"},
        {{a, "--code-page"}, "tarvel-rc: option '--code-page' needs a number or 'auto'\n"},
        {{"-o", "", a}, "tarvel-rc: option '-o' needs a file name\n"},
        {{"--no-define=yes", a}, "tarvel-rc: option '--no-define' takes no value\n"},
        // No output may overwrite a form, under its own name or another.
        {{"-o", a, a}, "tarvel-rc: '" + a + "' is a form given to convert; no output may overwrite it\n"},
        {{"--masm", a, a}, "tarvel-rc: '" + a + "' is a form given to convert; no output may overwrite it\n"},
        {{"-o", Path("out.rc"), a, b}, "tarvel-rc: option '-o' takes a single form only\n"},
        {{"-o", "-", a, b}, "tarvel-rc: option '-o' takes a single form only\n"},
        {{a, ""}, "tarvel-rc: empty file name\n"},
        {{"-"}, "tarvel-rc: a form read from standard input needs -o to say where its RC text goes\n"},
        // A program's ids are the header's names.
        {{"--program", Path("p.c"), a}, "tarvel-rc: option '--program' needs --header FILE for the ids it uses\n"},
        {{"--header", Path("p.h"), "--program", "-", a}, "tarvel-rc: option '--program' needs a file, not standard output\n"},
        {{a, "--program"}, "tarvel-rc: option '--program' needs a file name\n"},
        {{"--header", Path("p.h"), "--program", a, a}, "tarvel-rc: '" + a + "' is a form given to convert; no output may overwrite it\n"},
        {{"--header", Path("p.h"), "--program", Path("p.h"), a}, "tarvel-rc: '" + Path("p.h") + "' and '" + Path("p.h") + "' name one file for two outputs\n"},
    };
    for (const auto& c : cases) {
        const Outcome got = Tarvel(c.arguments);
        EXPECT_EQ(got.status, 2) << c.message;
        EXPECT_EQ(got.err, c.message + kTry);
        EXPECT_EQ(got.out, "");
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"A.frm", "B.frm"}));
}

// --- the first ID -----------------------------------------------------------

TEST_F(CommandLine, FirstIdIsAStrictNumberInAnyOfTheUsualSpellings) {
    const std::string form = Form("Form1.frm", kOneItemForm);
    const struct {
        std::string text;
        std::string id;
    } accepted[] = {
        {"100", "100"}, {"0", "0"}, {"+7", "7"}, {"&H10", "16"}, {"&h1f", "31"}, {"&O17", "15"}, {"&o777", "511"},
        {"65535", "65535"},
    };
    for (const auto& c : accepted) {
        const Outcome got = Tarvel({"-n", c.text, "--no-define", "-o", "-", form});
        EXPECT_EQ(got.status, 0) << "'" << c.text << "': " << got.err;
        EXPECT_EQ(got.out, OneItemText(c.id) + "\r\n") << "'" << c.text << "'";
    }
    // The short option glued to its number, the long one both ways, and with names.
    EXPECT_EQ(Tarvel({"-n5", "--no-define", "-o", "-", form}).out, OneItemText("5") + "\r\n");
    EXPECT_EQ(Tarvel({"--first-id", "&H20", "-o", "-", form}).out,
              "#define mnuOpen 32\r\n\r\n\r\nGlowne MENU\r\n{\r\n\r\nPOPUP \"&File\"\r\n{\r\n"
              "    MENUITEM \"&Open\", mnuOpen\r\n}\r\n}\r\n\r\n");
    EXPECT_EQ(Tarvel({"--first-id=7", "--no-define", "-o", "-", form}).out, OneItemText("7") + "\r\n");

    // Anything else is a usage error, not a quiet 0: junk, C's hex, blanks, decimals, beyond 32 bits.
    WriteFile(Path("Form1.rc"), kPrevious);
    for (const std::string text : {"junk", "0x10", "", " 1 0", "12abc", "100.5", "1e3", "&H", "--5", "2147483648",
                                   "-2147483649", "&O77777777777777"}) {
        const Outcome got = Tarvel({"-n", text, form});
        EXPECT_EQ(got.status, 2) << text;
        EXPECT_EQ(got.err, "tarvel-rc: first ID '" + text +
                               "' is not a number (decimal, &H hex or &O octal) that fits a signed 32-bit integer\n" + kTry);
        EXPECT_EQ(got.out, "");
    }
    EXPECT_EQ(ReadFile(Path("Form1.rc")), kPrevious);
}

TEST_F(CommandLine, AnItemNumberOutsideSixteenBitsExitsWithFourAndWritesNothing) {
    const std::string form = Form("Zoom.frm", kZoomForm);
    WriteFile(Path("Zoom.rc"), kPrevious);
    for (const std::string first : {"65533", "-1"}) {
        for (const bool names : {true, false}) {
            std::vector<std::string> arguments{"-n", first, form};
            if (!names) arguments.push_back("--no-define");
            const Outcome got = Tarvel(arguments);
            EXPECT_EQ(got.status, 4);
            EXPECT_TRUE(got.err.starts_with("tarvel-rc: " + form + ":" + (first == "-1" ? "5" : "20") + ": menu item '"))
                << got.err;
            EXPECT_TRUE(got.err.ends_with(", outside the 0 to 65535 of a MENU resource\n")) << got.err;
        }
    }
    EXPECT_EQ(ReadFile(Path("Zoom.rc")), kPrevious);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"Zoom.frm", "Zoom.rc"}));
    // Four items from 65532 fit exactly.
    EXPECT_EQ(Tarvel({"-n", "65532", "--no-define", form}).status, 0);
}

TEST_F(CommandLine, AFormFromStandardInputAndFormsNamedTwice) {
    const std::string form = Form("Form1.frm", kFileViewForm);
    const tarvel::UniqueFile in = StreamOf(kFileViewForm);
    std::ostringstream out, err;
    const std::vector<std::string> arguments{"-o", "-", "-"};
    const tarvel::cli::ParseResult parsed = ParseArguments(arguments, out, err);
    ASSERT_TRUE(parsed.run) << err.str();
    EXPECT_EQ(tarvel::cli::Run(parsed.options, out, err, in.get()), 0) << err.str();
    EXPECT_EQ(out.str(), kFileViewWithDefines + "\r\n");

    // Standard input that is the form's file is never overwritten by the output: < Form1.frm -o Form1.frm.
    {
        const tarvel::UniqueFile self(std::fopen(form.c_str(), "rb"));
        ASSERT_TRUE(self);
        std::ostringstream over, overErr;
        const std::vector<std::string> overwrite{"-o", form, "-"};
        const tarvel::cli::ParseResult overParsed = ParseArguments(overwrite, over, overErr);
        ASSERT_TRUE(overParsed.run) << overErr.str();
        EXPECT_EQ(tarvel::cli::Run(overParsed.options, over, overErr, self.get()), 2);
        EXPECT_EQ(overErr.str(), "tarvel-rc: " + form + ": the output file would overwrite the form\n");
        EXPECT_EQ(ReadFile(form), kFileViewForm);
    }
    // Its header and MASM file say where their numbers come from.
    {
        const tarvel::UniqueFile again = StreamOf(kFileViewForm);
        std::ostringstream text, textErr;
        const std::vector<std::string> withHeader{"-o", "-", "--header", Path("in.h"), "--masm", Path("in.inc"), "-"};
        const tarvel::cli::ParseResult headerParsed = ParseArguments(withHeader, text, textErr);
        ASSERT_TRUE(headerParsed.run) << textErr.str();
        EXPECT_EQ(tarvel::cli::Run(headerParsed.options, text, textErr, again.get()), 0) << textErr.str();
        EXPECT_TRUE(ReadFile(Path("in.h")).starts_with("/* Menu item numbers of standard input,")) << ReadFile(Path("in.h"));
        EXPECT_TRUE(ReadFile(Path("in.inc")).starts_with("; Menu item numbers of standard input,")) << ReadFile(Path("in.inc"));
    }
    // A closed standard input is told in the system's words, not a library's.
    const Outcome closed = TarvelInChild({"-o", Path("closed.rc"), "-"}, [] { close(STDIN_FILENO); });
    EXPECT_EQ(closed.status, 3);
    EXPECT_EQ(closed.err, "tarvel-rc: cannot read standard input: Bad file descriptor\n");
    EXPECT_FALSE(fs::exists(Path("closed.rc")));

    // The same form, named twice and spelled two ways, is converted once.
    const Outcome twice = Tarvel({form, form, Path("sub/../Form1.frm")});
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(twice.err, "");
    // Two forms that would write one .rc file are refused before either is written.
    const std::string upper = Form("Form1.FRM", kFileViewForm);
    fs::remove(Path("Form1.rc"));
    const Outcome clash = Tarvel({form, upper});
    EXPECT_EQ(clash.status, 2);
    EXPECT_EQ(clash.err, "tarvel-rc: '" + form + "' and '" + upper + "' would both write " + Path("Form1.rc") + "\n" + kTry);
    EXPECT_FALSE(fs::exists(Path("Form1.rc")));
}

// --- where the text goes ----------------------------------------------------

TEST_F(CommandLine, WorkedExamplesByteForByteOnStandardOutput) {
    const std::string first = Form("Form1.frm", kFileViewForm);
    Outcome got = Tarvel({"-o", "-", first});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(got.out, kFileViewWithDefines + "\r\n");

    const std::string second = Form("Zoom.frm", kZoomForm);
    got = Tarvel({"--no-define", "--output", "-", second});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, kZoomNumbered + "\r\n");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"Form1.frm", "Zoom.frm"}));
}

TEST_F(CommandLine, WithoutOutputTheTextGoesBesideTheForm) {
    const struct {
        std::string form, rc;
    } cases[] = {
        {"Form1.frm", "Form1.rc"},
        {"MAIN.FRM", "MAIN.rc"},
        {"my.menu.frm", "my.menu.rc"},
        {"NoExtension", "NoExtension.rc"},
    };
    std::vector<std::string> arguments{"--no-define"};
    for (const auto& c : cases) arguments.push_back(Form(c.form, kZoomForm));
    const Outcome got = Tarvel(arguments);
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(got.out, "");
    for (const auto& c : cases) EXPECT_EQ(ReadFile(Path(c.rc)), kZoomNumbered + "\r\n") << c.rc;
}

TEST_F(CommandLine, OutputOptionNamesTheFileAndReplacesWhatWasThere) {
    const std::string form = Form("Form1.frm", kFileViewForm);
    fs::create_directory(Path("out"));
    const std::string target = Path("out/menu.rc");
    WriteFile(target, kPrevious);
    const Outcome got = Tarvel({"-o", target, form});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(ReadFile(target), kFileViewWithDefines + "\r\n");
    EXPECT_FALSE(fs::exists(Path("Form1.rc")));
    EXPECT_EQ(Listing(Path("out")), std::vector<std::string>{"menu.rc"});
}

TEST_F(CommandLine, LineEndsOfTheFormDoNotChangeTheText) {
    std::string lf = kZoomForm, cr = kZoomForm;
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    cr.erase(std::remove(cr.begin(), cr.end(), '\n'), cr.end());
    for (const std::string& bytes : {lf, cr}) {
        const std::string form = Form("Zoom.frm", bytes);
        const Outcome got = Tarvel({"--no-define", "-o", "-", form});
        EXPECT_EQ(got.status, 0);
        EXPECT_EQ(got.out, kZoomNumbered + "\r\n");
    }
}

// --- exit statuses ----------------------------------------------------------

TEST_F(CommandLine, FormWithoutMenuExitsWithOneAndWritesNothing) {
    const std::string form = Form("Plain.frm", kNoMenuForm);
    Outcome got = Tarvel({form});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.err, "tarvel-rc: " + form + ": no menu\n");
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Plain.frm"});

    got = Tarvel({"-o", "-", form});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.out, "");

    WriteFile(Path("Plain.rc"), kPrevious);
    EXPECT_EQ(Tarvel({form}).status, 1);
    EXPECT_EQ(ReadFile(Path("Plain.rc")), kPrevious);
}

TEST_F(CommandLine, EveryFormIsConvertedAndTheHighestStatusWins) {
    const std::string good = Form("Good.frm", kZoomForm);
    const std::string plain = Form("Plain.frm", kNoMenuForm);
    const std::string missing = Path("Missing.frm");
    const std::string noMenu = "tarvel-rc: " + plain + ": no menu\n";
    const std::string unreadable = "tarvel-rc: " + missing + ": cannot read the form: No such file or directory\n";

    Outcome got = Tarvel({"--no-define", good, plain});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.err, noMenu);
    EXPECT_EQ(ReadFile(Path("Good.rc")), kZoomNumbered + "\r\n");
    fs::remove(Path("Good.rc"));

    got = Tarvel({"--no-define", plain, good});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(ReadFile(Path("Good.rc")), kZoomNumbered + "\r\n");
    fs::remove(Path("Good.rc"));

    got = Tarvel({"--no-define", missing, plain, good});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, unreadable + noMenu);
    EXPECT_EQ(ReadFile(Path("Good.rc")), kZoomNumbered + "\r\n");

    got = Tarvel({plain, missing});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, noMenu + unreadable);

    got = Tarvel({good, good});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
}

TEST_F(CommandLine, ManyFormsAllConvertUnderALowLimitOnOpenFiles) {
    std::vector<std::string> forms{"--no-define"};
    for (int i = 0; i < 600; ++i) forms.push_back(Form("Form" + std::to_string(i) + ".frm", kZoomForm));
    const Outcome got = TarvelInChild(forms, [] {
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_NOFILE, &limit);
    });
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err.substr(0, 300), "");
    int converted = 0;
    for (int i = 0; i < 600; ++i) converted += ReadFile(Path("Form" + std::to_string(i) + ".rc")) == kZoomNumbered + "\r\n";
    EXPECT_EQ(converted, 600);
    EXPECT_EQ(Listing().size(), 1200u);
}

TEST_F(CommandLine, UnreadableFormsExitWithThree) {
    fs::create_directory(Path("Folder.frm"));
    Outcome got = Tarvel({Path("Folder.frm")});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + Path("Folder.frm") + ": cannot read the form: Is a directory\n");

    got = Tarvel({Path("Missing.frm")});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + Path("Missing.frm") + ": cannot read the form: No such file or directory\n");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Folder.frm"});

    // Standard input is named as such.
    const tarvel::UniqueFile in = StreamOf("Begin VB.Form F\r\n Begin VB.Menu a\r\n  Caption = \"A\"\r\n End\r\nEnd\r\n");
    std::ostringstream out, err;
    const std::vector<std::string> arguments{"-n", "65536", "-o", "-", "-"};
    const tarvel::cli::ParseResult parsed = ParseArguments(arguments, out, err);
    EXPECT_EQ(tarvel::cli::Run(parsed.options, out, err, in.get()), 4);
    EXPECT_EQ(err.str(), "tarvel-rc: standard input:2: menu item 'a' would get number 65536, outside the 0 to 65535 of a MENU resource\n");
}

// A form on standard input is read a piece at a time, as a file is, with the
// same bound on a line: a gibibyte of zeros costs a line's worth of memory.
TEST_F(CommandLine, StandardInputIsStreamedWithTheLineBoundOfAFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory says nothing of the conversion's own";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer's shadow memory says nothing of the conversion's own";
#endif
#endif
    int zeros[2], report[2];
    ASSERT_EQ(pipe(zeros), 0);
    ASSERT_EQ(pipe(report), 0);
    const pid_t writer = fork();
    if (writer == 0) {
        close(zeros[0]);
        const std::string piece(1 << 20, '\0');
        for (int i = 0; i < 1024; ++i)
            if (write(zeros[1], piece.data(), piece.size()) < 0) break;
        _exit(0);
    }
    close(zeros[1]);
    const pid_t child = fork();
    if (child == 0) {
        dup2(zeros[0], STDIN_FILENO);
        close(zeros[0]);
        close(report[0]);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const Outcome got = Tarvel({"-o", Path("z.rc"), "-"});
        getrusage(RUSAGE_SELF, &after);
        const long growth = after.ru_maxrss - before.ru_maxrss;
        ssize_t sent = write(report[1], &growth, sizeof growth);
        sent += write(report[1], got.err.data(), got.err.size());
        _exit(sent > 0 ? got.status : 99);
    }
    close(zeros[0]);
    close(report[1]);
    long growth = -1;
    ASSERT_EQ(read(report[0], &growth, sizeof growth), static_cast<ssize_t>(sizeof growth));
    std::string err;
    char buffer[512];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) err.append(buffer, static_cast<std::size_t>(n));
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << status;
    EXPECT_EQ(err, "tarvel-rc: standard input:1: cannot read the form: the line is longer than 16 MiB\n");
    EXPECT_FALSE(fs::exists(Path("z.rc")));
    std::printf("a gibibyte of zeros on standard input: peak growth %ld KiB\n", growth);
    EXPECT_LT(growth, 64 * 1024);  // KiB: the 16 MiB line, twice, and a piece
}

TEST_F(CommandLine, ACaptionFileThatCannotBeReadLeavesTheCaptionEmptyWithAWarning) {
    const std::string form = Form("Long.frm",
                                  "Begin VB.Form Long\r\n"
                                  "   Begin VB.Menu mnuFile\r\n"
                                  "      Caption = \"&File\"\r\n"
                                  "      Begin VB.Menu mnuLong\r\n"
                                  "         Caption = $\"Long.frx\":0004\r\n"
                                  "      End\r\n"
                                  "   End\r\n"
                                  "End\r\n");
    // The sub-menu keeps its only item, without a caption: no compiler takes an empty POPUP.
    const std::string emptyPopup = "\r\n\r\nGlowne MENU\r\n{\r\n\r\nPOPUP \"&File\"\r\n{\r\n    MENUITEM \"\", 100\r\n}\r\n}\r\n\r\n";
    const std::string lost = "tarvel-rc: warning: " + form + ":5: the Caption of mnuLong is left empty: ";
    const std::string kept = "tarvel-rc: warning: " + form +
                             ":4: menu item 'mnuLong' has no caption; it is kept as MENUITEM \"\", as its menu would be empty without it\n";
    // The same with and without --dialog: a warning, and the conversion goes on.
    for (const char* dialog : {"--no-define", "--dialog"}) {
        Outcome got = Tarvel({"--no-define", dialog, "-o", "-", form});
        EXPECT_EQ(got.status, 0);
        EXPECT_EQ(got.err, lost + Path("Long.frx") + ": cannot read the caption file: No such file or directory\n" + kept);
        if (std::string(dialog) == "--no-define") {
            EXPECT_EQ(got.out, emptyPopup);
        }
    }
    // Length 12 at offset 4, but only 6 bytes follow it.
    WriteFile(Path("Long.frx"), std::string("\0\0\0\0\x0c\0\0\0Say \"x", 14));
    Outcome got = Tarvel({"--no-define", "-o", "-", form});
    EXPECT_EQ(got.err, lost + Path("Long.frx") + ": a caption's offset or length runs past the end of the file\n" + kept);
    EXPECT_EQ(got.out, emptyPopup);

    // Whole, the caption arrives with its quote doubled.
    WriteFile(Path("Long.frx"), std::string("\0\0\0\0\x06\0\0\0Say \"x", 14));
    got = Tarvel({"--no-define", "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "\r\n\r\nGlowne MENU\r\n{\r\n\r\nPOPUP \"&File\"\r\n{\r\n    MENUITEM \"Say \"\"x\", 100\r\n}\r\n}\r\n\r\n");
}

// A batch lists a folder once for the whole run, however many of its forms name
// their .frx in another case than the disk's.
TEST_F(CommandLine, ABatchListsEachFormsFolderOnce) {
    for (int i = 0; i < 2800; ++i) WriteFile(Path("Other" + std::to_string(i) + ".txt"), "");
    std::vector<std::string> arguments{"--no-define"};
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        const std::string caption = "Item " + n;
        WriteFile(Path("Form" + n + ".frx"), std::string("\0\0\0\0", 4) + char(caption.size()) + std::string(3, '\0') + caption);
        arguments.push_back(Form("Form" + n + ".frm", "Begin VB.Form Form" + n + "\r\n   Begin VB.Menu mnuFile\r\n"
                                 "      Caption = \"&File\"\r\n      Begin VB.Menu mnuItem\r\n"
                                 "         Caption = $\"FORM" + n + ".FRX\":0004\r\n      End\r\n   End\r\nEnd\r\n"));
    }
    const std::size_t before = tarvel::FolderListings::ListingsMadeInProcess();
    const Outcome got = Tarvel(arguments);
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(tarvel::FolderListings::ListingsMadeInProcess() - before, 1u);
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_NE(ReadFile(Path("Form" + n + ".rc")).find("MENUITEM \"Item " + n + "\", 100\r\n"), std::string::npos) << n;
    }
}

// --- delivery failures ------------------------------------------------------

TEST_F(CommandLine, OutputIntoAMissingDirectoryFails) {
    const std::string form = Form("Form1.frm", kOneItemForm);
    const std::string target = Path("nowhere/Form1.rc");
    const Outcome got = Tarvel({"-o", target, form});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + target + ": cannot write the output file: No such file or directory\n");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Form1.frm"});
}

TEST_F(CommandLine, OutputIntoAnUnwritableDirectoryFails) {
    const std::string form = Form("Form1.frm", kOneItemForm);
    fs::create_directory(Path("locked"));
    fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    std::string target = Path("locked/Form1.rc");
    if (access(Path("locked").c_str(), W_OK) == 0) {
        // The superuser writes anywhere on a normal disk; sysfs refuses even it.
        const int probe = open("/sys/Form1.rc", O_WRONLY | O_CREAT | O_EXCL, 0600);
        const bool refused = probe < 0 && errno == EACCES;
        if (probe >= 0) {
            close(probe);
            unlink("/sys/Form1.rc");
        }
        if (!refused) GTEST_SKIP() << "no directory that refuses new files for this user";
        target = "/sys/Form1.rc";
    }
    const Outcome got = Tarvel({"-o", target, form});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + target + ": cannot write the output file: Permission denied\n");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(Listing(Path("locked")).empty());
    EXPECT_EQ(Listing(), (std::vector<std::string>{"Form1.frm", "locked"}));
}

TEST_F(CommandLine, OutputThatNamesTheFormIsRefused) {
    const std::string form = Form("Form1.frm", kFileViewForm);
    fs::create_symlink(form, Path("link.rc"));
    for (const std::string& target : {form, Path("./Form1.frm"), Path("link.rc")}) {
        // A usage error: it is known before anything is read or written.
        const Outcome got = Tarvel({"-o", target, form});
        EXPECT_EQ(got.status, 2) << target;
        EXPECT_EQ(got.err, "tarvel-rc: '" + target + "' is a form given to convert; no output may overwrite it\n" + kTry);
        EXPECT_EQ(ReadFile(form), kFileViewForm);
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"Form1.frm", "link.rc"}));
}

TEST_F(CommandLine, AFullDeviceLosesNothing) {
    const std::string form = Form("Form1.frm", kFileViewForm);
    // A node of our own that behaves as /dev/full: no conversion may replace
    // the real one on a shared machine.
    const std::string device = Path("full");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot make a device node here (needs the superuser)";
    const Outcome got = Tarvel({"-o", device, form});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + device + ": cannot write the output file: No space left on device\n");
    struct stat after {};
    ASSERT_EQ(lstat(device.c_str(), &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode)) << "the device was replaced by a file";
    EXPECT_EQ(Listing(), (std::vector<std::string>{"Form1.frm", "full"}));
}

TEST_F(CommandLine, AWriteCutOffPartWayLeavesThePreviousFile) {
    // A menu of a few kilobytes, written under a file size limit of 1 KiB.
    std::string form = "Begin VB.Form Big\r\n   Begin VB.Menu mnuTop\r\n      Caption = \"&Top\"\r\n";
    for (int i = 0; i < 100; ++i)
        form += "      Begin VB.Menu mnuItem" + std::to_string(i) + "\r\n         Caption = \"Item number " +
                std::to_string(i) + "\"\r\n      End\r\n";
    form += "   End\r\nEnd\r\n";
    const std::string path = Form("Big.frm", form);
    WriteFile(Path("Big.rc"), kPrevious);

    // No SIGXFSZ handling here: tarvel-rc turns the limit into a message itself.
    const Outcome got = TarvelInChild({path}, [] {
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + Path("Big.rc") + ": cannot write the output file: File too large\n");
    EXPECT_EQ(ReadFile(Path("Big.rc")), kPrevious);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"Big.frm", "Big.rc"}));
}


// --- options for Win32 programs ---------------------------------------------

// A menu bar, a disabled sub-menu, a right-click menu kept hidden, a hidden
// item without children, and shortcuts the menu editor offers and one it does not.
const std::string kWin32Form =
    "Begin VB.Form Form1\r\n"
    "   Begin VB.Menu mnuFile\r\n"
    "      Caption = \"&File\"\r\n"
    "      Begin VB.Menu mnuOpen\r\n"
    "         Caption = \"&Open\"\r\n"
    "         Shortcut = ^O\r\n"
    "      End\r\n"
    "      Begin VB.Menu mnuRecent\r\n"
    "         Caption = \"&Recent\"\r\n"
    "         Enabled = 0   'False\r\n"
    "         Checked = -1  'True\r\n"
    "         Begin VB.Menu mnuFirst\r\n"
    "            Caption = \"First\"\r\n"
    "            Shortcut = +^{F3}\r\n"
    "         End\r\n"
    "      End\r\n"
    "   End\r\n"
    "   Begin VB.Menu mnuPopup\r\n"
    "      Caption = \"Popup\"\r\n"
    "      Visible = 0   'False\r\n"
    "      Begin VB.Menu mnuCut\r\n"
    "         Caption = \"Cu&t\"\r\n"
    "         Shortcut = +{DEL}\r\n"
    "      End\r\n"
    "      Begin VB.Menu mnuOdd\r\n"
    "         Caption = \"Odd\"\r\n"
    "         Shortcut = {F13}\r\n"
    "      End\r\n"
    "   End\r\n"
    "   Begin VB.Menu mnuSecret\r\n"
    "      Caption = \"Secret\"\r\n"
    "      Visible = 0   'False\r\n"
    "   End\r\n"
    "   Begin VB.Menu mnuHelp\r\n"
    "      Caption = \"&Help\"\r\n"
    "      Begin VB.Menu mnuAbout\r\n"
    "         Caption = \"&About\"\r\n"
    "         Shortcut = {F1}\r\n"
    "      End\r\n"
    "   End\r\n"
    "End\r\n";

const std::string kWin32Menus =
    "\r\n\r\nGlowne MENU\r\n{\r\n"
    "\r\nPOPUP \"&File\"\r\n{\r\n"
    "    MENUITEM \"&Open\\tCtrl+O\", mnuOpen\r\n"
    "\r\nPOPUP \"&Recent\", GRAYED\r\n{\r\n"
    "        MENUITEM \"First\\tCtrl+Shift+F3\", mnuFirst\r\n"
    "}\r\n}\r\n"
    "\r\nPOPUP \"&Help\"\r\n{\r\n"
    "    MENUITEM \"&About\\tF1\", mnuAbout\r\n"
    "}\r\n}\r\n"
    "\r\nmnuPopup MENU\r\n{\r\n\r\nPOPUP \"Popup\"\r\n{\r\n"
    "    MENUITEM \"Cu&t\\tShift+Del\", mnuCut\r\n"
    "    MENUITEM \"Odd\", mnuOdd\r\n"
    "}\r\n}\r\n"
    "\r\nGlowne ACCELERATORS\r\n{\r\n"
    "    \"O\", mnuOpen, VIRTKEY, CONTROL\r\n"
    "    114, mnuFirst, VIRTKEY, CONTROL, SHIFT  // VK_F3\r\n"
    "    46, mnuCut, VIRTKEY, SHIFT  // VK_DELETE\r\n"
    "    112, mnuAbout, VIRTKEY  // VK_F1\r\n"
    "}\r\n";

TEST_F(CommandLine, AllWritesShortcutsContextMenusGreyedPopupsAndTheCodePage) {
    const std::string form = Form("Win32.frm", kWin32Form);
    const std::string oddWarning =
        "tarvel-rc: warning: " + form + ": menu item 'mnuOdd' has the shortcut '{F13}', which is not a key of the menu editor; it is left out\n";
    // Numbering goes on from Glowne's items into the context menu.
    const std::string defines =
        "#define mnuOpen 100\r\n#define mnuFirst 101\r\n#define mnuCut 103\r\n#define mnuOdd 104\r\n#define mnuAbout 102\r\n";
    // --all is these four and --dialog (whose text the dialog tests check).
    Outcome got = Tarvel({"--shortcuts", "--context-menus", "--gray-popups", "--code-page", "1250", "-o", "-", form});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, oddWarning);
    EXPECT_EQ(got.out, "#pragma code_page(1250)\r\n" + defines + kWin32Menus + "\r\n");
    // With <windows.h> included (--dialog) the keys go by their names.
    got = Tarvel({"--all", "-o", "-", form});
    EXPECT_NE(got.out.find("    \"O\", mnuOpen, VIRTKEY, CONTROL\r\n    VK_F3, mnuFirst, VIRTKEY, CONTROL, SHIFT\r\n"
                           "    VK_DELETE, mnuCut, VIRTKEY, SHIFT\r\n    VK_F1, mnuAbout, VIRTKEY\r\n}\r\n"),
              std::string::npos) << got.out;

    // Each option alone, and without any the window's text.
    got = Tarvel({"--gray-popups", "--no-define", "-o", "-", form});
    EXPECT_EQ(got.err, "");
    EXPECT_NE(got.out.find("POPUP \"&Recent\", GRAYED\r\n"), std::string::npos);
    EXPECT_EQ(got.out.find("Ctrl"), std::string::npos);
    got = Tarvel({"--context-menus", "--no-define", "-o", "-", form});
    EXPECT_NE(got.out.find("}\r\n\r\nmnuPopup MENU\r\n{\r\n\r\nPOPUP \"Popup\"\r\n{\r\n    MENUITEM \"Cu&t\", 103\r\n"),
              std::string::npos) << got.out;
    EXPECT_EQ(got.out.find("Secret"), std::string::npos);
    const Outcome plain = Tarvel({"-o", "-", form});
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(plain.out.find("GRAYED"), std::string::npos);
    EXPECT_NE(plain.out.find("\r\nPOPUP \"Popup\"\r\n{\r\n    MENUITEM \"Cu&t\", mnuCut\r\n"), std::string::npos);
    EXPECT_NE(plain.out.find("MENUITEM \"Secret\", mnuSecret\r\n"), std::string::npos);

    // A form whose only menus are hidden: no Glowne (no compiler takes an empty
    // MENU), and its context menus numbered where their names are taken or no identifiers.
    const std::string hidden = Form("Hidden.frm",
                                    "Begin VB.Form Form1\r\n"
                                    "   Begin VB.Menu Menu\r\n      Caption = \"A\"\r\n      Visible = 0\r\n"
                                    "      Begin VB.Menu mnuA\r\n         Caption = \"a\"\r\n      End\r\n   End\r\n"
                                    "   Begin VB.Menu mnuA\r\n      Caption = \"B\"\r\n      Visible = 0\r\n"
                                    "      Begin VB.Menu mnuB\r\n         Caption = \"b\"\r\n      End\r\n   End\r\n"
                                    "   Begin VB.Menu mnuC\r\n      Caption = \"C\"\r\n      Visible = 0\r\n"
                                    "      Begin VB.Menu mnuD\r\n         Caption = \"d\"\r\n      End\r\n   End\r\n"
                                    "End\r\n");
    got = Tarvel({"--context-menus", "-o", "-", hidden});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out,
              "#define mnuA 100\r\n#define mnuB 101\r\n#define mnuD 102\r\n\r\n\r\n"
              "1 MENU\r\n{\r\n\r\nPOPUP \"A\"\r\n{\r\n    MENUITEM \"a\", mnuA\r\n}\r\n}\r\n"
              "\r\n2 MENU\r\n{\r\n\r\nPOPUP \"B\"\r\n{\r\n    MENUITEM \"b\", mnuB\r\n}\r\n}\r\n"
              "\r\nmnuC MENU\r\n{\r\n\r\nPOPUP \"C\"\r\n{\r\n    MENUITEM \"d\", mnuD\r\n}\r\n}\r\n\r\n");
    // Its dialog then names no menu.
    got = Tarvel({"--context-menus", "--dialog", "-o", "-", hidden});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out.find("Glowne"), std::string::npos) << got.out;
    EXPECT_NE(got.out.find("\r\nForm1 DIALOGEX "), std::string::npos) << got.out;
    // Hidden top-level items without items of their own leave nothing to write: the form has no menu.
    const std::string nothing = Form("Nothing.frm", "Begin VB.Form Form1\r\n   Begin VB.Menu mnuX\r\n      Caption = \"X\"\r\n"
                                                    "      Visible = 0\r\n   End\r\nEnd\r\n");
    got = Tarvel({"--context-menus", "-o", "-", nothing});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.out, "");
}

TEST_F(CommandLine, PicturesGoBesideTheRcFileWhichStandardOutputHasNot) {
    // The .frx: an icon of one 1 x 1 image, as VB stores a form's Icon.
    using namespace std::string_literals;
    const std::string icon = "\0\0\x01\0\x01\0\x01\x01\0\0\x01\0\x20\0\x30\0\0\0\x16\0\0\0"s + "\x28\0\0\0\x01\0\0\0\x02\0\0\0"s +
                             "\x01\0\x20\0"s + std::string(24, '\0') + "\xFF\0\0\xFF"s + std::string(4, '\0');
    WriteFile(Path("Form1.frx"), "\x4E\0\0\0lt\0\0\x46\0\0\0"s + icon);
    const std::string formText = "Begin VB.Form frmMain\r\n Icon = \"Form1.frx\":0000\r\n Begin VB.Menu mnuA\r\n"
                                 "  Caption = \"A\"\r\n End\r\nEnd\r\n";
    const std::string form = Form("Form1.frm", formText);
    const std::string resource = "frmMain_Icon ICON \"Form1.ico\"\r\n";

    Outcome got = Tarvel({"--pictures", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(ReadFile(Path("Form1.ico")), icon);
    EXPECT_EQ(ReadFile(Path("Form1.rc")), "#define mnuA 100\r\n#define frmMain_Icon 1\r\n\r\n\r\n" + resource +
                                              "\r\nGlowne MENU\r\n{\r\nMENUITEM \"A\", mnuA\r\n}\r\n\r\n");

    // Standard output has no folder: --pictures is refused there, and --all leaves the pictures out.
    got = Tarvel({"--pictures", "-o", "-", form});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err, "tarvel-rc: option '--pictures' writes files beside the RC file, which '-o -' does not have\n" + kTry);
    fs::remove(Path("Form1.ico"));
    got = Tarvel({"--all", "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out.find("ICON"), std::string::npos) << got.out;
    EXPECT_FALSE(fs::exists(Path("Form1.ico")));

    // With -o they go beside the RC file named; a form from standard input names them after itself.
    fs::create_directory(Path("out"));
    got = Tarvel({"--all", "-o", Path("out/menu.rc"), form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(Path("out/Form1.ico")), icon);
    EXPECT_NE(ReadFile(Path("out/menu.rc")).find(resource), std::string::npos);
    const fs::path here = fs::current_path();
    fs::current_path(Path(""));
    const tarvel::UniqueFile in = StreamOf(formText);
    std::ostringstream out, err;
    const std::vector<std::string> arguments{"--pictures", "-o", Path("out/stdin.rc"), "-"};
    const tarvel::cli::ParseResult parsed = ParseArguments(arguments, out, err);
    ASSERT_TRUE(parsed.run) << err.str();
    EXPECT_EQ(tarvel::cli::Run(parsed.options, out, err, in.get()), 0) << err.str();
    fs::current_path(here);
    EXPECT_EQ(ReadFile(Path("out/frmMain.ico")), icon);
    EXPECT_NE(ReadFile(Path("out/stdin.rc")).find("frmMain_Icon ICON \"frmMain.ico\"\r\n"), std::string::npos);

    // Two forms whose names make one file name each keep a picture of their own.
    fs::create_directory(Path("two"));
    for (const char* name : {"two/Form 1.frm", "two/Form_1.frm", "two/Zażółć.frm"}) Form(name, formText);
    fs::copy_file(Path("Form1.frx"), Path("two/Form1.frx"));
    got = Tarvel({"--pictures", Path("two/Form 1.frm"), Path("two/Form_1.frm"), Path("two/Zażółć.frm")});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(Path("two/Form_1.ico")), icon);
    EXPECT_EQ(ReadFile(Path("two/Form_1_2.ico")), icon);
    EXPECT_NE(ReadFile(Path("two/Form 1.rc")).find("frmMain_Icon ICON \"Form_1.ico\"\r\n"), std::string::npos);
    EXPECT_NE(ReadFile(Path("two/Form_1.rc")).find("frmMain_Icon ICON \"Form_1_2.ico\"\r\n"), std::string::npos);
    // A name beyond ASCII: each run of its other letters one '_'.
    EXPECT_EQ(ReadFile(Path("two/Za_.ico")), icon);
}

TEST_F(CommandLine, PrefixGoesBeforeEveryDefinedNameWhichStillFollowsTheRules) {
    const std::string form = Form("Ids.frm",
                                  "Begin VB.Form Form1\r\n"
                                  "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n"
                                  "      Begin VB.Menu mnuOpen\r\n         Caption = \"&Open\"\r\n      End\r\n"
                                  "      Begin VB.Menu exit\r\n         Caption = \"E&xit\"\r\n      End\r\n"
                                  "      Begin VB.Menu TABSTOP\r\n         Caption = \"&Tab\"\r\n      End\r\n"
                                  "   End\r\n"
                                  "   Begin VB.Menu mnuPopup\r\n      Caption = \"Popup\"\r\n      Visible = 0\r\n"
                                  "      Begin VB.Menu mnuCut\r\n         Caption = \"Cu&t\"\r\n      End\r\n"
                                  "   End\r\n"
                                  "End\r\n");
    // exit is free once prefixed; WS_TABSTOP is <windows.h>'s; the context menu's resource name is no #define.
    Outcome got = Tarvel({"--prefix", "WS_", "--context-menus", "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "#define WS_mnuOpen 100\r\n#define WS_exit 101\r\n#define WS_mnuCut 103\r\n\r\n\r\n"
                       "Glowne MENU\r\n{\r\n\r\nPOPUP \"&File\"\r\n{\r\n    MENUITEM \"&Open\", WS_mnuOpen\r\n"
                       "    MENUITEM \"E&xit\", WS_exit\r\n    MENUITEM \"&Tab\", 102\r\n}\r\n}\r\n"
                       "\r\nmnuPopup MENU\r\n{\r\n\r\nPOPUP \"Popup\"\r\n{\r\n    MENUITEM \"Cu&t\", WS_mnuCut\r\n}\r\n}\r\n\r\n");
    got = Tarvel({"--prefix", "IDM_", "--header", Path("ids.h"), form});
    EXPECT_EQ(got.status, 0) << got.err;
    // The header's opening comment lists every resource of the text and how a program loads it.
    EXPECT_EQ(Tarvel({"--all", "--header", Path("all.h"), "-o", Path("all.rc"), form}).status, 0);
    EXPECT_NE(ReadFile(Path("all.h"))
                  .find("/* The resources of its resource script, and how a program loads each:\r\n"
                        "     Glowne MENU                 LoadMenuW(instance, L\"Glowne\")\r\n"
                        "     mnuPopup MENU               GetSubMenu(LoadMenuW(instance, L\"mnuPopup\"), 0) for TrackPopupMenu\r\n"
                        "     Form1 DIALOGEX              CreateDialogParamW(instance, L\"Form1\", parent, procedure, 0)\r\n*/\r\n"),
              std::string::npos)
        << ReadFile(Path("all.h"));
    EXPECT_NE(ReadFile(Path("ids.h")).find("#define IDM_mnuOpen 100\r\n#define IDM_exit 101\r\n#define IDM_TABSTOP 102\r\n"),
              std::string::npos);
    for (const char* bad : {"", "1st", "ID-", "ID M"}) {
        got = Tarvel({"--prefix", bad, "-o", "-", form});
        EXPECT_EQ(got.status, 2) << bad;
        EXPECT_EQ(got.out, "");
    }
    got = Tarvel({"--prefix", "IDM_", "--no-define", "-o", "-", form});
    EXPECT_EQ(got.err, "tarvel-rc: option '--prefix' needs the names that --no-define leaves out\n" + kTry);
}

TEST_F(CommandLine, MenuNameNamesTheMainMenuItsAcceleratorsAndTheDialogsMenu) {
    // An item named like the menu keeps its number: its #define would rename the resource.
    const std::string form = Form("Named.frm",
                                  "Begin VB.Form frmMain\r\n"
                                  "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n"
                                  "      Begin VB.Menu MainMenu\r\n         Caption = \"&Open\"\r\n         Shortcut = ^O\r\n      End\r\n"
                                  "   End\r\n"
                                  "End\r\n");
    Outcome got = Tarvel({"--menu-name", "MainMenu", "--shortcuts", "--dialog", "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.out.find("\r\n\r\nMainMenu MENU\r\n{\r\n\r\nPOPUP \"&File\"\r\n{\r\n    MENUITEM \"&Open\\tCtrl+O\", 100  // MainMenu\r\n"),
              std::string::npos) << got.out;
    EXPECT_NE(got.out.find("\r\nMainMenu ACCELERATORS\r\n{\r\n    \"O\", 100, VIRTKEY, CONTROL  // MainMenu\r\n"), std::string::npos)
        << got.out;
    EXPECT_NE(got.out.find("\r\nMENU MainMenu\r\n"), std::string::npos) << got.out;
    EXPECT_EQ(got.out.find("Glowne"), std::string::npos) << got.out;
    for (const char* bad : {"", "MENU", "IDOK", "new", "Zakończ", "2nd"}) {
        got = Tarvel({"--menu-name", bad, "-o", "-", form});
        EXPECT_EQ(got.status, 2) << bad;
        EXPECT_EQ(got.out, "");
    }
    // Glowne itself, said outright, is the default.
    got = Tarvel({"--menu-name", "Glowne", "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, Tarvel({"-o", "-", form}).out);
}

TEST_F(CommandLine, TidyIndentsEveryBlockByItsDepth) {
    const std::string form = Form("Win32.frm", kWin32Form);
    Outcome got = Tarvel({"--tidy", "--context-menus", "--gray-popups", "--no-define", "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out,
              "Glowne MENU\r\n{\r\n"
              "    POPUP \"&File\"\r\n    {\r\n"
              "        MENUITEM \"&Open\", 100\r\n"
              "        POPUP \"&Recent\", GRAYED\r\n        {\r\n            MENUITEM \"First\", 101\r\n        }\r\n"
              "    }\r\n"
              "    POPUP \"&Help\"\r\n    {\r\n        MENUITEM \"&About\", 102\r\n    }\r\n"
              "}\r\n"
              "\r\nmnuPopup MENU\r\n{\r\n"
              "    POPUP \"Popup\"\r\n    {\r\n        MENUITEM \"Cu&t\", 103\r\n        MENUITEM \"Odd\", 104\r\n    }\r\n"
              "}\r\n\r\n");
    // After the #define list one empty line, and the same menus as without --tidy.
    got = Tarvel({"--tidy", "-o", "-", form});
    EXPECT_EQ(got.out.find("#define mnuAbout 105\r\n\r\nGlowne MENU\r\n{\r\n    POPUP \"&File\"\r\n"), got.out.find("#define mnuAbout"))
        << got.out;
}

TEST_F(CommandLine, ASubMenuWhoseEveryItemWouldBeLeftOutKeepsItsFirstPlaceholder) {
    // The program's code fills such a menu at run time (Load dbitem(1)) through the placeholder's number.
    const std::string form = Form("Db.frm",
                                  "Begin VB.Form Form1\r\n"
                                  "   Begin VB.Menu mnuView\r\n      Caption = \"&View Table\"\r\n"
                                  "      Begin VB.Menu dbitem\r\n         Caption = \"\"\r\n         Index = 0\r\n      End\r\n"
                                  "      Begin VB.Menu dbother\r\n      End\r\n"
                                  "   End\r\n"
                                  "   Begin VB.Menu mnuTools\r\n      Caption = \"&Tools\"\r\n"
                                  "      Begin VB.Menu mnuRun\r\n         Caption = \"&Run\"\r\n      End\r\n"
                                  "      Begin VB.Menu mnuBlank\r\n      End\r\n"
                                  "   End\r\n"
                                  "End\r\n");
    Outcome got = Tarvel({"-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "#define dbitem_0 100\r\n#define mnuRun 101\r\n\r\n\r\nGlowne MENU\r\n{\r\n"
                       "\r\nPOPUP \"&View Table\"\r\n{\r\n    MENUITEM \"\", dbitem_0\r\n}\r\n"
                       "\r\nPOPUP \"&Tools\"\r\n{\r\n    MENUITEM \"&Run\", mnuRun\r\n}\r\n}\r\n\r\n");
    const std::string warning = "tarvel-rc: warning: " + form + ":";
    EXPECT_EQ(got.err, warning + "4: menu item 'dbitem' has no caption; it is kept as MENUITEM \"\", as its menu would be empty without it\n" +
                       warning + "8: menu item 'dbother' has no caption and no items; it is left out\n" +
                       warning + "16: menu item 'mnuBlank' has no caption and no items; it is left out\n");
    // A Glowne of nothing but such items keeps the first likewise.
    const std::string bare = Form("Bare.frm", "Begin VB.Form Form1\r\n   Begin VB.Menu a\r\n   End\r\n   Begin VB.Menu b\r\n   End\r\nEnd\r\n");
    got = Tarvel({"--no-define", "-o", "-", bare});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "\r\n\r\nGlowne MENU\r\n{\r\nMENUITEM \"\", 100\r\n}\r\n\r\n");
}

TEST_F(CommandLine, CodePageAutoFollowsTheFormsFontsThenItsTextThenTheLocale) {
    const std::string ascii = Form("Ascii.frm", kOneItemForm);
    std::string polish = kOneItemForm;
    polish.replace(polish.find("&Open"), 5, "Li\xB6\xE6");  // not UTF-8, no font: the locale decides
    const std::string cp1250 = Form("Polish.frm", polish);
    std::string modern = kOneItemForm;
    modern.replace(modern.find("&Open"), 5, "Li\xC5\x9B\xC4\x87");
    const std::string utf8 = Form("Utf8.frm", modern);
    // The font says what the bytes are, whatever the locale.
    std::string central = polish;
    central.insert(central.find("   Begin VB.Menu"), "   BeginProperty Font\r\n      Charset = 238\r\n   EndProperty\r\n");
    const std::string charset238 = Form("Central.frm", central);
    // An ASCII menu and a dialog whose caption is UTF-8: the whole form is looked at.
    const std::string dialogUtf8 = Form("Dialog.frm",
                                        "Begin VB.Form Form1\r\n"
                                        "   Begin VB.CommandButton cmdGo\r\n"
                                        "      Caption = \"Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\"\r\n"
                                        "   End\r\n"
                                        "   Begin VB.Menu mnuFile\r\n      Caption = \"&File\"\r\n   End\r\n"
                                        "End\r\n");
    const auto pragma = [](const std::string& form, bool dialog = false) {
        std::vector<std::string> arguments{"--code-page", "auto", "--no-define", "-o", "-", form};
        if (dialog) arguments.insert(arguments.begin(), "--dialog");
        const std::string text = Tarvel(arguments).out;
        return text.substr(0, text.find("\r\n"));
    };
    struct Environment {
        const char* name;
        std::optional<std::string> saved;
    } variables[] = {{"LC_ALL", {}}, {"LC_CTYPE", {}}, {"LANG", {}}};
    for (Environment& variable : variables) {
        if (const char* value = std::getenv(variable.name)) variable.saved = value;
        unsetenv(variable.name);
    }
    setenv("LANG", "pl_PL.UTF-8", 1);
    EXPECT_EQ(pragma(cp1250), "#pragma code_page(1250)");
    EXPECT_EQ(pragma(ascii), "#pragma code_page(1250)");
    EXPECT_EQ(pragma(utf8), "#pragma code_page(65001)");
    EXPECT_EQ(pragma(dialogUtf8, true), "#pragma code_page(65001)");
    setenv("LC_CTYPE", "zh_TW.Big5", 1);
    EXPECT_EQ(pragma(cp1250), "#pragma code_page(950)");
    setenv("LC_ALL", "ru_RU", 1);
    EXPECT_EQ(pragma(cp1250), "#pragma code_page(1251)");
    EXPECT_EQ(pragma(charset238), "#pragma code_page(1250)");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(pragma(cp1250), "#pragma code_page(1252)");

    // A real Shift-JIS form, whose fonts say Charset = 128.
    const fs::path japanese =
        fs::path(TARVEL_CORPUS_DIR) / "menu" / "akinomyoga__vb6programs__src_\u98db\u884c\u6a5f.frm";
    if (fs::exists(japanese)) {
        setenv("LC_ALL", "C.UTF-8", 1);
        EXPECT_EQ(pragma(japanese.string()), "#pragma code_page(932)");
        EXPECT_EQ(pragma(japanese.string(), true), "#pragma code_page(932)");
    }
    for (Environment& variable : variables) {
        if (variable.saved) setenv(variable.name, variable.saved->c_str(), 1);
        else unsetenv(variable.name);
    }
    if (!fs::exists(japanese)) GTEST_SKIP() << japanese << " is absent: the Shift-JIS form of the corpus was not tried";
}

TEST_F(CommandLine, DepfileIsAMakeRuleFromTheOutputsToTheFormAndEveryFrxFileRead) {
    fs::create_directory(Path("a b#c$"));
    const std::string form = Form("a b#c$/Long.frm",
                                  "Begin VB.Form Long\r\n"
                                  "   Begin VB.Menu mnuFile\r\n"
                                  "      Caption = $\"Long.frx\":0000\r\n"
                                  "      Begin VB.Menu mnuLong\r\n"
                                  "         Caption = $\"Long.frx\":0005\r\n"
                                  "      End\r\n"
                                  "      Begin VB.Menu mnuLost\r\n"
                                  "         Caption = $\"Missing.frx\":0000\r\n"
                                  "      End\r\n"
                                  "   End\r\n"
                                  "End\r\n");
    WriteFile(Path("a b#c$/Long.frx"), std::string("\1\0\0\0F\4\0\0\0Long", 13));
    Outcome got = Tarvel({"--header", Path("ids.h"), "--masm", Path("ids.inc"), "--depfile", Path("deps.d"), form});
    EXPECT_EQ(got.status, 0) << got.err;
    // Only the files read: a .frx file that is not there leaves a caption empty, and no rule.
    const std::string folder = dir_.string() + "/a\\ b\\#c$$/";
    EXPECT_EQ(ReadFile(Path("deps.d")), folder + "Long.rc " + Path("ids.h") + " " + Path("ids.inc") + ": \\\n  " + folder +
                                            "Long.frm \\\n  " + folder + "Long.frx\n" + folder + "Long.frm:\n" + folder +
                                            "Long.frx:\n");

    // From standard input the form is no file to depend on; the outputs are named as given.
    const tarvel::UniqueFile in = StreamOf(kFileViewForm);
    std::ostringstream out, err;
    const std::vector<std::string> arguments{"-o", Path("./in.rc"), "--depfile", Path("in.d"), "-"};
    const tarvel::cli::ParseResult parsed = ParseArguments(arguments, out, err);
    ASSERT_TRUE(parsed.run) << err.str();
    EXPECT_EQ(tarvel::cli::Run(parsed.options, out, err, in.get()), 0) << err.str();
    EXPECT_EQ(ReadFile(Path("in.d")), Path("in.rc") + ":\n");

    const std::string other = Form("Other.frm", kOneItemForm);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } refused[] = {
        {{"--depfile", Path("d"), form, other}, "option '--depfile' takes a single form only"},
        {{"--depfile", Path("d"), "-o", "-", form}, "option '--depfile' needs the RC text in a file, not on standard output"},
        {{"--depfile", "", form}, "option '--depfile' needs a file name"},
        {{"--depfile", Path("d"), "-o", Path("two\nlines.rc"), form},
         "'" + Path("two\nlines.rc") + "' cannot be named in a dependency file: its name holds a line break"},
        {{"--depfile", Path("d"), "--header", Path("d"), form}, "'" + Path("d") + "' and '" + Path("d") + "' name one file for two outputs"},
        {{"--depfile", form, form}, "'" + form + "' is a form given to convert; no output may overwrite it"},
    };
    for (const auto& c : refused) {
        got = Tarvel(c.arguments);
        EXPECT_EQ(got.status, 2) << c.message;
        EXPECT_EQ(got.err, "tarvel-rc: " + c.message + "\n" + kTry);
    }
    EXPECT_FALSE(fs::exists(Path("d")));
}

// A build that runs tarvel-rc every time rebuilds nothing: what did not change keeps its time stamp.
TEST_F(CommandLine, OutputsWhoseBytesAreUnchangedAreLeftUntouched) {
    const std::string form = Form("Form1.frm", kFileViewForm);
    const std::vector<std::string> arguments = {"--all", "-o", Path("out.rc"), "--header", Path("ids.h"), "--masm", Path("ids.inc"), form};
    ASSERT_EQ(Tarvel(arguments).status, 0);
    const fs::file_time_type past = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const char* file : {"out.rc", "ids.h", "ids.inc"}) fs::last_write_time(Path(file), past);
    const Outcome again = Tarvel(arguments);
    ASSERT_EQ(again.status, 0) << again.err;
    for (const char* file : {"out.rc", "ids.h", "ids.inc"}) EXPECT_EQ(fs::last_write_time(Path(file)), past) << file;

    // A caption changed: the RC text is new, the numbers are not.
    std::string renamed = kFileViewForm;
    renamed.replace(renamed.find("Tool&bar"), 8, "Tool&bars");
    WriteFile(form, renamed);
    ASSERT_EQ(Tarvel(arguments).status, 0);
    EXPECT_NE(fs::last_write_time(Path("out.rc")), past);
    EXPECT_NE(ReadFile(Path("out.rc")).find("Tool&bars"), std::string::npos);
    EXPECT_EQ(fs::last_write_time(Path("ids.h")), past);
    EXPECT_EQ(fs::last_write_time(Path("ids.inc")), past);
}

TEST_F(CommandLine, HeaderAndMasmFilesCarryTheNumbersTheRcTextIncludes) {
    const std::string form = Form("Form1.frm", kFileViewForm);
    fs::create_directory(Path("inc"));
    Outcome got = Tarvel({"--header", Path("Menu ids.h"), "--masm", Path("inc/menu.inc"), form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(Path("Menu ids.h")),
              "/* Menu item numbers of Form1.frm, as its resource script gives them. */\r\n"
              "/* The resources of its resource script, and how a program loads each:\r\n"
              "     Glowne MENU                 LoadMenuW(instance, L\"Glowne\")\r\n*/\r\n"
              "#ifndef MENU_IDS_H\r\n#define MENU_IDS_H\r\n\r\n"
              "#define mnuOpen 100\r\n#define mnuExit 101\r\n#define mnuBar 102\r\n\r\n#endif\r\n");
    EXPECT_EQ(ReadFile(Path("inc/menu.inc")),
              "; Menu item numbers of Form1.frm, as its resource script gives them.\r\n"
              "mnuOpen equ 100\r\nmnuExit equ 101\r\nmnuBar equ 102\r\n");
    const std::string defines = "#define mnuOpen 100\r\n#define mnuExit 101\r\n#define mnuBar 102\r\n";
    const std::string menu = kFileViewWithDefines.substr(defines.size());
    // The header is named by the way from the RC file's folder to it, so the resource compiler finds it there.
    EXPECT_EQ(ReadFile(Path("Form1.rc")), "#include \"Menu ids.h\"\r\n" + menu + "\r\n");
    got = Tarvel({"--header", Path("inc/ids.h"), "-o", Path("Form1.rc"), form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(Path("Form1.rc")), "#include \"inc/ids.h\"\r\n" + menu + "\r\n");
    fs::create_directory(Path("out"));
    got = Tarvel({"--header", Path("inc/./menu.h"), "-o", Path("out/menu.rc"), form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(Path("out/menu.rc")), "#include \"../inc/menu.h\"\r\n" + menu + "\r\n");
    fs::create_directory(Path("sub"));
    const std::string inSub = Form("sub/s.frm", kFileViewForm);
    got = Tarvel({"--header", Path("s.h"), inSub});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(ReadFile(Path("sub/s.rc")), "#include \"../s.h\"\r\n" + menu + "\r\n");
    // On standard output the text has no folder: the name as given.
    got = Tarvel({"--header", Path("inc/ids.h"), "-o", "-", form});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "#include \"" + Path("inc/ids.h") + "\"\r\n" + menu + "\r\n");

    // A header that cannot be saved stops the conversion before the RC text.
    fs::remove(Path("Form1.rc"));
    got = Tarvel({"--header", Path("nowhere/ids.h"), form});
    EXPECT_EQ(got.status, 3);
    EXPECT_EQ(got.err, "tarvel-rc: " + Path("nowhere/ids.h") + ": cannot write the output file: No such file or directory\n");
    EXPECT_FALSE(fs::exists(Path("Form1.rc")));
    // Nor is a header saved for an RC file that cannot be written.
    got = Tarvel({"--header", Path("ids.h"), "-o", Path("nowhere/Form1.rc"), form});
    EXPECT_EQ(got.status, 3);
    EXPECT_FALSE(fs::exists(Path("ids.h")));

    const std::string other = Form("Other.frm", kOneItemForm);
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } refused[] = {
        {{"--header", "ids.h", "--no-define", form}, "option '--header' needs the names that --no-define leaves out"},
        {{"--masm", "", form}, "option '--masm' needs a file name"},
        {{"--header", "ids.h", form, other}, "option '--header' takes a single form only"},
        {{"--masm", "ids.inc", form, other}, "option '--masm' takes a single form only"},
        {{"--header", "a\"b.h", form}, "header name 'a\"b.h' cannot be written in an #include line"},
        {{"--header", "x.h", "--masm", "./x.h", form}, "'x.h' and './x.h' name one file for two outputs"},
        {{"--header", Path("Form1.rc"), form}, "'" + Path("Form1.rc") + "' and '" + Path("Form1.rc") + "' name one file for two outputs"},
        {{"--code-page", "cp1250", form}, "code page 'cp1250' is neither a number from 1 to 65535 nor 'auto'"},
        {{"--code-page", "0", form}, "code page '0' is neither a number from 1 to 65535 nor 'auto'"},
        {{"--code-page", "-1", form}, "code page '-1' is neither a number from 1 to 65535 nor 'auto'"},
        {{"--shortcuts=no", form}, "option '--shortcuts' takes no value"},
    };
    for (const auto& c : refused) {
        got = Tarvel(c.arguments);
        EXPECT_EQ(got.status, 2) << c.message;
        EXPECT_EQ(got.err, "tarvel-rc: " + c.message + "\n" + kTry);
    }
}

}  // namespace
