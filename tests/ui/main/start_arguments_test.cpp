// The window's command line: a form or folder, --help and --version that end
// the program before any window, and usage errors, each with its exact text.
#include "start_arguments.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "tarvel_version.h"

namespace tarvel::ui {
namespace {

struct Parsed {
    StartRequest request;
    std::string out, err;
};

Parsed Parse(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    Parsed parsed{ParseStartArguments(arguments, out, err), {}, {}};
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(StartArguments, NothingOrOneNameOpensTheWindow) {
    Parsed parsed = Parse({});
    EXPECT_TRUE(parsed.request.openWindow);
    EXPECT_FALSE(parsed.request.name);

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"/home/ania/Zażółć/Form1.frm"}, {"--", "/home/ania/Zażółć/Form1.frm"}}) {
        parsed = Parse(arguments);
        EXPECT_TRUE(parsed.request.openWindow);
        EXPECT_EQ(parsed.request.name, "/home/ania/Zażółć/Form1.frm");
        EXPECT_EQ(parsed.out + parsed.err, "");
    }
    // After "--" a name may begin with a dash.
    EXPECT_EQ(Parse({"--", "-menu.frm"}).request.name, "-menu.frm");
    EXPECT_EQ(Parse({"C:\\Work\\Form1.frm"}).request.name, "C:\\Work\\Form1.frm");
}

TEST(StartArguments, HelpAndVersionPrintAndEndWithoutAWindow) {
    for (const char* flag : {"--help", "-h"}) {
        const Parsed parsed = Parse({flag});
        EXPECT_FALSE(parsed.request.openWindow);
        EXPECT_EQ(parsed.request.status, 0);
        EXPECT_TRUE(parsed.out.starts_with("Usage: tarvel [FORM.frm | FOLDER]\n")) << parsed.out;
        EXPECT_EQ(parsed.err, "");
    }
    const Parsed parsed = Parse({"--version", "Form1.frm"});
    EXPECT_FALSE(parsed.request.openWindow);
    EXPECT_EQ(parsed.request.status, 0);
    EXPECT_EQ(parsed.out, "tarvel " TARVEL_VERSION "\n");
}

TEST(StartArguments, UsageErrorsEndWithStatusTwoAndSayWhy) {
    const std::string hint = "\nTry 'tarvel --help' for more information.\n";
    Parsed parsed = Parse({"a.frm", "b.frm"});
    EXPECT_FALSE(parsed.request.openWindow);
    EXPECT_EQ(parsed.request.status, 2);
    EXPECT_EQ(parsed.err, "tarvel: one form or folder at most, not 2" + hint);
    EXPECT_EQ(parsed.out, "");

    parsed = Parse({""});
    EXPECT_EQ(parsed.request.status, 2);
    EXPECT_EQ(parsed.err, "tarvel: the name of the form or folder is empty" + hint);

    parsed = Parse({"--bogus", "a.frm"});
    EXPECT_FALSE(parsed.request.openWindow);
    EXPECT_EQ(parsed.request.status, 2);
    EXPECT_TRUE(parsed.err.starts_with("tarvel: ") && parsed.err.ends_with(hint)) << parsed.err;
    EXPECT_NE(parsed.err.find("--bogus"), std::string::npos) << parsed.err;
}

}  // namespace
}  // namespace tarvel::ui
