// A form's pictures through the whole conversion: the files written beside the
// RC file and how the RC text, the dialog and the header name them; pictures
// that cannot be read; files that would replace an input; and every picture of
// the real forms in ../shared/corpus/pictures written as stored (BMP, ICO) or
// decoded at its own size (GIF, JPEG).
#include "convert_form.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#define STBI_ONLY_GIF
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "corpus_forms.h"
#include "frx_data.h"
#include "test_support.h"

namespace tarvel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string Le32(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

// stb_image's width and height of an image file.
std::pair<int, int> SizeOf(std::string_view image) {
    int width = 0, height = 0, channels = 0;
    stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(image.data()), static_cast<int>(image.size()), &width, &height,
                          &channels);
    return {width, height};
}

// A picture as VB stores one of its own controls' (`activeX`: as an ImageList stores its images).
std::string Stored(const std::string& image, bool activeX = false) {
    if (activeX) return Le32(static_cast<std::uint32_t>(image.size() + 24)) + std::string(16, '\x11') + "lt\0\0"s +
                        Le32(static_cast<std::uint32_t>(image.size())) + image;
    return Le32(static_cast<std::uint32_t>(image.size() + 8)) + "lt\0\0"s + Le32(static_cast<std::uint32_t>(image.size())) + image;
}

// 1 x 1 pixel, 24-bit.
const std::string kBitmap = "BM"s + Le32(58) + Le32(0) + Le32(54) + Le32(40) + Le32(1) + Le32(1) + "\x01\0\x18\0"s +
                            std::string(24, '\0') + "\x10\x20\x30\0"s;
// One 1 x 1 image, 32-bit.
const std::string kIcon = "\0\0\x01\0\x01\0"s + "\x01\x01\0\0\x01\0\x20\0"s + Le32(48) + Le32(22) + Le32(40) + Le32(1) +
                          Le32(2) + "\x01\0\x20\0"s + std::string(24, '\0') + "\xFF\0\0\xFF"s + Le32(0);
// 1 x 2 pixels.
const std::string kGif = "GIF89a\x01\x00\x02\x00\x80\x00\x00"s + "\x10\x20\x30\xA0\xB0\xC0"s +
                         "\x2C\0\0\0\0\x01\x00\x02\x00\x00"s + "\x02\x02\x44\x0A\x00"s + "\x3B"s;
// The icon as a cursor, its hotspot at 0, 1.
const std::string kCursor = "\0\0\x02\0\x01\0"s + "\x01\x01\0\0\0\0\x01\0"s + kIcon.substr(14);
const std::string kMetafile = "\xD7\xCD\xC6\x9A"s + std::string(18, '\0');

struct Written {
    Result<ConversionReport> report;
    std::string rc, header;
};

Written Convert(const test::TempDir& dir, const std::string& form, bool dialog = true) {
    test::WriteBytes(dir / "Form1.frm", form);
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.formName = "Form1.frm";
    request.rc.dialog = dialog;
    request.rc.pictures = true;
    request.rc.numberComments = true;
    Destination destination;
    destination.file = dir / "Form1.rc";
    destination.header = dir / "Form1.h";
    Written written{ConvertForm(request, destination), {}, {}};
    if (fs::exists(destination.file)) written.rc = test::ReadBytes(destination.file);
    if (fs::exists(destination.header)) written.header = test::ReadBytes(destination.header);
    return written;
}

TEST(FormPictures, EachPictureIsAFileBesideTheRcFileAndAResourceTheDialogShows) {
    test::TempDir dir;
    // The .frx: at 0 the icon, then a bitmap, a GIF, an empty picture, a metafile and two ImageList images.
    std::string frx;
    std::map<std::string, std::size_t> at;
    for (const auto& [name, bytes] : {std::pair{"icon"s, Stored(kIcon)}, {"bitmap"s, Stored(kBitmap)}, {"gif"s, Stored(kGif)},
                                      {"empty"s, Stored("")}, {"metafile"s, Stored(kMetafile)},
                                      {"list1"s, Stored(kBitmap, true)}, {"list2"s, Stored(kIcon, true)}}) {
        at[name] = frx.size();
        frx += bytes;
    }
    test::WriteBytes(dir / "Form1.frx", frx);
    const auto ref = [&](const std::string& name) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%04zX", at[name]);
        return "\"Form1.frx\":" + std::string(hex);
    };
    const Written written = Convert(dir, R"(VERSION 5.00
Begin VB.Form frmMain 
   Caption         =   "Pictures"
   ClientHeight    =   3000
   ClientWidth     =   4500
   Icon            =   )" + ref("icon") + R"(
   Begin VB.Image imgLogo 
      Height          =   450
      Left            =   150
      Picture         =   )" + ref("gif") + R"(
      Stretch         =   -1  'True
      Top             =   150
      Width           =   450
   End
   Begin VB.PictureBox picBox 
      Height          =   450
      Left            =   750
      Picture         =   )" + ref("icon") + R"(
      TabIndex        =   2
      Top             =   150
      Width           =   450
   End
   Begin VB.CommandButton cmdGo 
      Caption         =   "&Go"
      DownPicture     =   )" + ref("icon") + R"(
      Height          =   450
      Left            =   1500
      Picture         =   )" + ref("bitmap") + R"(
      Style           =   1  'Graphical
      TabIndex        =   0
      Top             =   150
      Width           =   900
   End
   Begin VB.CommandButton cmdPlain 
      Caption         =   "Plain"
      Height          =   450
      Left            =   2550
      Picture         =   )" + ref("bitmap") + R"(
      TabIndex        =   1
      Top             =   150
      Width           =   900
   End
   Begin VB.Image imgNone 
      Height          =   450
      Left            =   150
      Picture         =   )" + ref("empty") + R"(
      Top             =   900
      Width           =   450
   End
   Begin VB.Image imgChart 
      Height          =   450
      Left            =   750
      Picture         =   )" + ref("metafile") + R"(
      Top             =   900
      Width           =   450
   End
   Begin VB.Image imgLost 
      Height          =   450
      Index           =   3
      Left            =   1500
      Picture         =   "Form1.frx":FFFF
      Top             =   900
      Width           =   450
   End
   Begin MSComctlLib.ImageList ImageList1 
      Left            =   0
      Top             =   0
      BeginProperty Images {2C247F25-8591-11D1-B16A-00C0F0283628} 
         NumListImages   =   2
         BeginProperty ListImage1 {2C247F27-8591-11D1-B16A-00C0F0283628} 
            Picture         =   )" + ref("list1") + R"(
            Key             =   ""
         EndProperty
         BeginProperty ListImage2 {2C247F27-8591-11D1-B16A-00C0F0283628} 
            Picture         =   )" + ref("list2") + R"(
            Key             =   ""
         EndProperty
      EndProperty
   End
End
)");
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    EXPECT_EQ(written.report.value().warnings,
              (std::vector<std::string>{
                  "Form1.frm:53: the Picture of imgChart is a WMF metafile, which no dialog shows: it is written as "
                  "Form1_imgChart.wmf and named in no resource",
                  "Form1.frm:61: the Picture of imgLost_3 is left out: " + test::PathUtf8(dir / "Form1.frx") +
                      ": at offset FFFF: no picture: the file ends before it, at " + std::to_string(frx.size()) +
                      " bytes",
              }));
    EXPECT_EQ(written.rc, "#include <windows.h>\r\n"
                          "\r\n"
                          "#define cmdGo 100\r\n"
                          "#define cmdPlain 101\r\n"
                          "#define picBox 102\r\n"
                          "#define imgLogo 103\r\n"
                          "#define imgNone 104\r\n"
                          "#define imgChart 105\r\n"
                          "#define imgLost_3 106\r\n"
                          "#define frmMain_Icon 1\r\n"
                          "#define imgLogo_Picture 2\r\n"
                          "#define picBox_Picture 3\r\n"
                          "#define cmdGo_DownPicture 4\r\n"
                          "#define cmdGo_Picture 5\r\n"
                          "#define cmdPlain_Picture 6\r\n"
                          "#define ImageList1_ListImage1 7\r\n"
                          "#define ImageList1_ListImage2 8\r\n"
                          "\r\n"
                          "\r\n"
                          "frmMain_Icon ICON \"Form1.ico\"\r\n"
                          "imgLogo_Picture BITMAP \"Form1_imgLogo.bmp\"\r\n"
                          "picBox_Picture ICON \"Form1_picBox.ico\"\r\n"
                          "cmdGo_DownPicture ICON \"Form1_cmdGo_DownPicture.ico\"\r\n"
                          "cmdGo_Picture BITMAP \"Form1_cmdGo.bmp\"\r\n"
                          "cmdPlain_Picture BITMAP \"Form1_cmdPlain.bmp\"\r\n"
                          "// imgChart: Form1_imgChart.wmf is a metafile, which no resource of a dialog shows\r\n"
                          "ImageList1_ListImage1 BITMAP \"Form1_ImageList1_1.bmp\"\r\n"
                          "ImageList1_ListImage2 ICON \"Form1_ImageList1_2.ico\"\r\n"
                          "\r\n"
                          "frmMain DIALOGEX 0, 0, 200, 123\r\n"
                          "STYLE DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME\r\n"
                          "CAPTION \"Pictures\"\r\n"
                          "FONT 8, \"MS Sans Serif\"\r\n"
                          "{\r\n"
                          "    PUSHBUTTON \"&Go\", cmdGo, 67, 6, 40, 18, BS_PUSHBUTTON | BS_BITMAP | BS_MULTILINE | WS_TABSTOP\r\n"
                          "    PUSHBUTTON \"Plain\", cmdPlain, 113, 6, 40, 18, BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP\r\n"
                          "    CONTROL picBox_Picture, picBox, \"STATIC\", SS_ICON, 33, 6, 20, 18\r\n"
                          "    CONTROL imgLogo_Picture, imgLogo, \"STATIC\", SS_BITMAP | SS_REALSIZECONTROL, 7, 6, 20, 18\r\n"
                          "    CONTROL \"\", imgNone, \"STATIC\", SS_ETCHEDFRAME, 7, 37, 20, 18\r\n"
                          "    CONTROL \"\", imgChart, \"STATIC\", SS_ETCHEDFRAME, 33, 37, 20, 18\r\n"
                          "    CONTROL \"\", imgLost_3, \"STATIC\", SS_ETCHEDFRAME, 67, 37, 20, 18\r\n"
                          "}\r\n"
                          "\r\n");
    // Numbered from 1, the form's icon first, apart from the controls' ids.
    EXPECT_NE(written.header.find("#define frmMain_Icon 1\r\n#define imgLogo_Picture 2\r\n"), std::string::npos);
    EXPECT_NE(written.header.find("#define ImageList1_ListImage2 8\r\n"), std::string::npos);
    EXPECT_NE(written.header.find("     frmMain_Icon ICON           LoadImageW(instance, MAKEINTRESOURCEW(frmMain_Icon), "
                                  "IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)\r\n"),
              std::string::npos)
        << written.header;
    EXPECT_TRUE(written.header.starts_with("/* Dialog control and picture numbers of Form1.frm"));

    const std::map<std::string, std::string> files = {
        {"Form1.ico", kIcon},           {"Form1_picBox.ico", kIcon},      {"Form1_cmdGo_DownPicture.ico", kIcon},
        {"Form1_cmdGo.bmp", kBitmap},   {"Form1_cmdPlain.bmp", kBitmap},  {"Form1_imgChart.wmf", kMetafile},
        {"Form1_ImageList1_1.bmp", kBitmap}, {"Form1_ImageList1_2.ico", kIcon},
    };
    for (const auto& [name, bytes] : files) EXPECT_EQ(test::ReadBytes(dir / name), bytes) << name;
    // The GIF as a bitmap of its own size.
    const std::string decoded = test::ReadBytes(dir / "Form1_imgLogo.bmp");
    EXPECT_EQ(decoded.substr(0, 2), "BM");
    EXPECT_EQ(SizeOf(decoded), std::pair(1, 2));
    std::vector<fs::path> expected{dir / "Form1.ico", dir / "Form1_imgLogo.bmp"};
    EXPECT_EQ(written.report.value().picturesWritten.size(), files.size() + 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.report.value().picturesWritten.begin()));
}

TEST(FormPictures, MousePointersKeepTheirBytesACursorAsACursorAndAnIconAsAnIcon) {
    test::TempDir dir;
    // At 0 a cursor, then an icon, both as VB stores them, and the cursor as an ActiveX control stores it.
    const std::string frx = Stored(kCursor) + Stored(kIcon) + Stored(kCursor, true);
    const std::size_t icon = Stored(kCursor).size(), activeX = icon + Stored(kIcon).size();
    test::WriteBytes(dir / "Form1.frx", frx);
    const auto ref = [](std::size_t at) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%04zX", at);
        return "\"Form1.frx\":" + std::string(hex);
    };
    const Written written = Convert(dir, "Begin VB.Form frmMain\r\n MouseIcon = " + ref(0) + "\r\n MousePointer = 99\r\n"
                                         " Begin VB.Label lblLink\r\n  Caption = \"Link\"\r\n  MouseIcon = " + ref(icon) +
                                         "\r\n  MousePointer = 99 'Custom\r\n  DragIcon = " + ref(icon) + "\r\n End\r\n"
                                         " Begin MSComctlLib.ListView lvList\r\n  MouseIcon = " + ref(activeX) +
                                         "\r\n End\r\nEnd\r\n");
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    for (const std::string_view line :
         {"frmMain_MouseIcon CURSOR \"Form1_MouseIcon.cur\"\r\n", "lblLink_MouseIcon ICON \"Form1_lblLink_MouseIcon.ico\"\r\n",
          "lblLink_DragIcon ICON \"Form1_lblLink_DragIcon.ico\"\r\n", "lvList_MouseIcon CURSOR \"Form1_lvList_MouseIcon.cur\"\r\n"})
        EXPECT_NE(written.rc.find(line), std::string::npos) << line << written.rc;
    EXPECT_EQ(test::ReadBytes(dir / "Form1_MouseIcon.cur"), kCursor);
    EXPECT_EQ(test::ReadBytes(dir / "Form1_lvList_MouseIcon.cur"), kCursor);
    EXPECT_EQ(test::ReadBytes(dir / "Form1_lblLink_MouseIcon.ico"), kIcon);
    EXPECT_EQ(test::ReadBytes(dir / "Form1_lblLink_DragIcon.ico"), kIcon);
    EXPECT_NE(written.header.find("#define lblLink_DragIcon 3\r\n"), std::string::npos) << written.header;
    EXPECT_NE(written.header.find("     frmMain_MouseIcon CURSOR    LoadImageW(instance, MAKEINTRESOURCEW(frmMain_MouseIcon), "
                                  "IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)\r\n"),
              std::string::npos)
        << written.header;
    EXPECT_EQ(written.report.value().picturesWritten.size(), 4u);
}

TEST(FormPictures, TabAndPanelPicturesAreNamedByTheirNumber) {
    test::TempDir dir;
    test::WriteBytes(dir / "Form1.frx", Stored(kIcon, true) + Stored(kBitmap, true));
    char hex[9];
    std::snprintf(hex, sizeof hex, "%04zX", Stored(kIcon, true).size());
    const Written written = Convert(dir, "Begin VB.Form frmMain\r\n Begin TabDlg.SSTab SSTab1\r\n  Tabs = 3\r\n"
                                         "  TabCaption(0) = \"A\"\r\n  TabPicture(0) = \"Form1.frx\":0000\r\n"
                                         "  TabCaption(2) = \"C\"\r\n  TabPicture(2) = \"Form1.frx\":" + std::string(hex) +
                                         "\r\n End\r\n Begin MSComctlLib.StatusBar StatusBar1\r\n"
                                         "  BeginProperty Panels {8E3867A5-8586-11D1-B16A-00C0F0283628}\r\n"
                                         "   BeginProperty Panel2 {8E3867AB-8586-11D1-B16A-00C0F0283628}\r\n"
                                         "    Picture = \"Form1.frx\":0000\r\n   EndProperty\r\n  EndProperty\r\n"
                                         " End\r\nEnd\r\n", false);
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    for (const std::string_view line :
         {"SSTab1_TabPicture0 ICON \"Form1_SSTab1_TabPicture0.ico\"\r\n", "SSTab1_TabPicture2 BITMAP \"Form1_SSTab1_TabPicture2.bmp\"\r\n",
          "StatusBar1_PanelPicture2 ICON \"Form1_StatusBar1_PanelPicture2.ico\"\r\n"})
        EXPECT_NE(written.rc.find(line), std::string::npos) << line << written.rc;
    EXPECT_EQ(test::ReadBytes(dir / "Form1_SSTab1_TabPicture2.bmp"), kBitmap);
    EXPECT_EQ(test::ReadBytes(dir / "Form1_StatusBar1_PanelPicture2.ico"), kIcon);
}

TEST(FormPictures, WithoutTheDialogOnlyTheResourcesAreWrittenAndAFormOfPicturesAloneIsNoError) {
    test::TempDir dir;
    test::WriteBytes(dir / "Form1.frx", Stored(kIcon));
    const Written written = Convert(dir, "Begin VB.Form frmMain\r\n Icon = \"Form1.frx\":0000\r\nEnd\r\n", false);
    ASSERT_TRUE(written.report) << Describe(written.report.error());
    EXPECT_EQ(written.rc, "#define frmMain_Icon 1\r\n\r\n\r\nfrmMain_Icon ICON \"Form1.ico\"\r\n\r\n");
    EXPECT_EQ(test::ReadBytes(dir / "Form1.ico"), kIcon);

    // A form without a .frx: each picture is named in a warning, and the menu is still written.
    test::TempDir bare;
    const Written alone = Convert(bare, "Begin VB.Form F\r\n Icon = \"Gone.frx\":0000\r\n Begin VB.Menu mnuA\r\n"
                                        "  Caption = \"A\"\r\n End\r\nEnd\r\n", false);
    ASSERT_TRUE(alone.report) << Describe(alone.report.error());
    EXPECT_EQ(alone.report.value().warnings,
              std::vector<std::string>{"Form1.frm:2: the Icon of F is left out: " + test::PathUtf8(bare / "Gone.frx") +
                                       ": cannot read the .frx file: No such file or directory"});
    EXPECT_EQ(alone.rc, "#define mnuA 100\r\n\r\n\r\nGlowne MENU\r\n{\r\nMENUITEM \"A\", mnuA\r\n}\r\n\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(bare.path()), fs::directory_iterator()), 3);  // the form, RC, header
}

TEST(FormPictures, AFileThatWouldReplaceTheFrxIsRefusedAndNothingIsWritten) {
    test::TempDir dir;
    test::WriteBytes(dir / "Form1.frx", Stored(kIcon));
    fs::create_symlink("Form1.frx", dir / "Form1.ico");
    const Written written = Convert(dir, "Begin VB.Form frmMain\r\n Icon = \"Form1.frx\":0000\r\nEnd\r\n", false);
    ASSERT_FALSE(written.report);
    EXPECT_EQ(written.report.error().kind, ErrorKind::OutputIsInput);
    EXPECT_EQ(Describe(written.report.error()), test::PathUtf8(dir / "Form1.ico") + ": the output file would overwrite " +
                                                    test::PathUtf8(dir / "Form1.frx") + ", which the conversion reads");
    EXPECT_EQ(test::ReadBytes(dir / "Form1.frx"), Stored(kIcon));
    EXPECT_FALSE(fs::exists(dir / "Form1.rc"));

    // A text handed back has no folder for the pictures unless one is named.
    ConversionRequest request;
    request.form = dir / "Form1.frm";
    request.rc.pictures = true;
    EXPECT_EQ(ConvertFormToText(request).error().kind, ErrorKind::OutputNameEmpty);
}

TEST(FormPicturesCorpus, EveryPictureOfARealFormIsWrittenAsStoredOrDecodedAtItsSize) {
    SKIP_WITHOUT_CORPUS(test::PicturesDir());
    std::map<ImageKind, int> kinds;
    for (const auto& [row, folder, walked] : test::FormsWithFrx()) {
        SCOPED_TRACE(row.folder);
        test::TempDir dir;
        ConversionRequest request;
        request.form = test::FormIn(folder);
        request.rc.dialog = request.rc.pictures = true;
        Destination destination;
        destination.file = dir / "out.rc";
        const Result<ConversionReport> converted = ConvertForm(request, destination);
        ASSERT_TRUE(converted) << Describe(converted.error());
        const std::string rc = test::ReadBytes(destination.file);

        // What the writers take, found by the tests' own walk: the form's icon and
        // picture, a control's Picture, DownPicture and DisabledPicture, its mouse
        // pointers, an SSTab's tab pictures, a StatusBar's panels', an ImageList's images.
        std::set<fs::path> expected;
        std::map<std::string, std::unique_ptr<FrxFile>> frxFiles;
        for (const test::FrxRef& ref : walked.refs) {
            const bool image = ref.property == "Picture" &&
                               (ref.propertyBlock.starts_with("ListImage") || ref.propertyBlock.starts_with("Panel"));
            const bool pointer = ref.property == "MouseIcon" || ref.property == "DragIcon" || ref.property == "MICON";
            const bool own = ref.propertyBlock.empty() &&
                             ((ref.property == "Icon" && ref.controlIndex == test::kTheForm) || ref.property == "Picture" ||
                              ref.property == "DownPicture" || ref.property == "DisabledPicture" || pointer ||
                              ref.property.starts_with("TabPicture("));
            if (ref.text || (!image && !own)) continue;
            std::unique_ptr<FrxFile>& frx = frxFiles[ref.frxName];
            if (!frx) frx = std::move(FrxFile::Open(folder, ref.frxName).value());
            const Result<FrxPicture> stored = ReadPicture(*frx, ref.offset);
            ASSERT_TRUE(stored) << ref.line;
            if (stored.value().empty()) continue;
            ++kinds[stored.value().kind];
            // The file whose resource or comment the RC text gives on the reference's line of the form.
            std::string name;
            for (const fs::path& file : converted.value().picturesWritten) {
                const std::string written = test::ReadBytes(file);
                const std::string_view image = stored.value().image;
                const bool same = stored.value().kind == ImageKind::Gif || stored.value().kind == ImageKind::Jpeg
                                      ? written.substr(0, 2) == "BM" && SizeOf(written) == SizeOf(image)
                                      : stored.value().kind == ImageKind::Cursor && !pointer ? written.size() == image.size()
                                                                                             : written == image;
                // A mouse pointer's cursor is a .cur, the same bytes; any other cursor an .ico.
                const bool cursorFile = file.extension() == ".cur";
                if (same && !expected.contains(file) &&
                    cursorFile == (pointer && stored.value().kind == ImageKind::Cursor)) {
                    name = test::PathUtf8(file.filename());
                    expected.insert(file);
                    break;
                }
            }
            EXPECT_FALSE(name.empty()) << "line " << ref.line << ": no file holds its " << ImageKindName(stored.value().kind);
            EXPECT_NE(rc.find(name), std::string::npos) << name;
        }
        EXPECT_EQ(expected.size(), converted.value().picturesWritten.size());
    }
    // Every kind the corpus holds reached a file.
    for (const ImageKind kind : {ImageKind::Icon, ImageKind::Cursor, ImageKind::Bitmap, ImageKind::Gif, ImageKind::Jpeg,
                                 ImageKind::Metafile})
        EXPECT_GT(kinds[kind], 0) << ImageKindName(kind);
}

}  // namespace
}  // namespace tarvel
