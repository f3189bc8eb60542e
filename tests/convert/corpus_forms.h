// The real forms of ../shared/corpus for the tests of the .frx readers and the
// code scanner: where they are, their manifest, and a plain walk of a form's
// lines that lists every .frx reference with the control that holds it. The
// walk is the tests' own, simpler than any reader of the program, so that the
// two check each other.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace tarvel::test {

inline std::filesystem::path CorpusDir() { return std::filesystem::path(TARVEL_CORPUS_DIR); }
inline std::filesystem::path PicturesDir() { return CorpusDir() / "pictures"; }

/// Skips the test, with a message, where the corpus is absent.
#define SKIP_WITHOUT_CORPUS(dir)                                                               \
    if (!std::filesystem::is_directory(dir))                                                   \
    GTEST_SKIP() << "the real forms are not at " << (dir) << " (../shared/corpus); skipped"

/// One row of pictures/manifest.tsv.
struct ManifestRow {
    std::string folder;
    bool frxPresent = true;
    std::string imageKinds;  ///< "BMP,ICO,empty" or "-"
    std::string notes;
};

inline std::vector<ManifestRow> ReadManifest() {
    std::vector<ManifestRow> rows;
    std::ifstream in(PicturesDir() / "manifest.tsv");
    std::string line;
    std::getline(in, line);  // the column names
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, '\t');) cells.push_back(cell);
        if (cells.size() < 8) continue;
        rows.push_back({cells[0], cells[4] == "yes", cells[6], cells[7]});
    }
    return rows;
}

/// The form file in a folder of the pictures corpus (its name's case varies: Installer.FRM).
inline std::filesystem::path FormIn(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string extension = entry.path().extension().string();
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extension == ".frm") return entry.path();
    }
    return {};
}

inline constexpr std::size_t kTheForm = static_cast<std::size_t>(-1);

/// A property that names a place in a .frx: `Picture = "Form1.frx":000C`.
struct FrxRef {
    std::uint32_t line = 0;
    std::string controlClass;  ///< of the innermost Begin: "VB.Image", "MSComctlLib.ImageList"
    std::string control;       ///< its name
    std::size_t controlIndex = kTheForm;  ///< in WalkedForm::controls
    std::string property;      ///< "Picture", "List", "TabPicture(0)"
    std::string propertyBlock; ///< the innermost BeginProperty around it: "ListImage3", or empty
    bool text = false;         ///< $"...": a string, not binary data
    std::string frxName;
    std::uint32_t offset = 0;
};

/// A control of the form (each member of a control array apart).
struct FormControl {
    std::string name;
    bool inArray = false;
    int listImages = 0;  ///< an ImageList's NumListImages
};

struct WalkedForm {
    std::vector<FrxRef> refs;
    std::vector<FormControl> controls;  ///< every Begin below the form's own
};

inline WalkedForm WalkForm(const std::string& form) {
    WalkedForm walked;
    struct Open { std::string cls, name; std::size_t control; };
    std::vector<Open> open;
    std::vector<std::string> blocks;  // the BeginProperty blocks open
    std::uint32_t number = 0;
    std::size_t at = 0;
    while (at < form.size()) {
        std::size_t end = form.find_first_of("\r\n", at);
        if (end == std::string::npos) end = form.size();
        std::string line = form.substr(at, end - at);
        at = end + (form.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++number;
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        line = line.substr(first);
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "Begin") {
            Open block;
            words >> block.cls >> block.name;
            block.control = open.empty() ? kTheForm : walked.controls.size();
            if (!open.empty()) walked.controls.push_back({block.name});
            open.push_back(block);
            continue;
        }
        if (word == "BeginProperty") {
            std::string name;
            words >> name;
            blocks.push_back(name);
            continue;
        }
        if (word == "EndProperty") {
            if (!blocks.empty()) blocks.pop_back();
            continue;
        }
        if (word == "End" && line.find_first_not_of(" \t\r", 3) == std::string::npos) {
            if (!open.empty()) open.pop_back();
            if (open.empty()) break;  // the form's definition ends; its code follows
            continue;
        }
        if (open.empty()) continue;
        std::string rest;
        std::getline(words, rest);
        const std::size_t equals = rest.find('=');
        if (equals == std::string::npos) continue;
        std::string value = rest.substr(equals + 1);
        value = value.substr(std::min(value.size(), value.find_first_not_of(" \t")));
        if (open.back().control != kTheForm) {
            FormControl& control = walked.controls[open.back().control];
            if (word == "Index" && blocks.empty()) control.inArray = true;
            if (word == "NumListImages") control.listImages = std::stoi(value);
        }
        const bool text = !value.empty() && value[0] == '$';
        if (text) value = value.substr(1);
        const std::size_t close = value.find("\":");
        if (value.empty() || value[0] != '"' || close == std::string::npos) continue;
        FrxRef ref;
        ref.line = number;
        ref.controlClass = open.back().cls;
        ref.control = open.back().name;
        ref.controlIndex = open.back().control;
        ref.propertyBlock = blocks.empty() ? std::string() : blocks.back();
        ref.property = word;
        ref.text = text;
        ref.frxName = value.substr(1, close - 1);
        ref.offset = static_cast<std::uint32_t>(std::stoul(value.substr(close + 2), nullptr, 16));
        walked.refs.push_back(ref);
    }
    return walked;
}

/// A form of the pictures corpus whose .frx files are there, walked.
struct PicturesForm {
    ManifestRow row;
    std::filesystem::path folder;
    WalkedForm form;
};

inline std::vector<PicturesForm> FormsWithFrx() {
    std::vector<PicturesForm> forms;
    for (const ManifestRow& row : ReadManifest()) {
        if (!row.frxPresent) continue;
        const std::filesystem::path folder = PicturesDir() / row.folder;
        forms.push_back({row, folder, WalkForm(ReadBytes(FormIn(folder)))});
    }
    return forms;
}

/// The binary data a form names: every reference but strings and lists.
inline bool IsPictureRef(const FrxRef& ref) {
    return !ref.text && ref.property != "List" && ref.property != "ItemData" && ref.property != "Bindings";
}

}  // namespace tarvel::test
