#include "convert_form.h"

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "ascii.h"
#include "code_page.h"
#include "delivery.h"
#include "dialog_layout.h"
#include "form_parser.h"
#include "form_pictures.h"
#include "form_reader.h"
#include "header_writer.h"
#include "name_table.h"
#include "rc_writer.h"
#include "shortcut_keys.h"
#include "utf8.h"

namespace tarvel {
namespace {

bool NeedsCodePage(const ConversionRequest& request) {
    return request.reportCodePage || request.rc.codePage == RcOptions::kAutoCodePage;
}

Result<Form> ReadForm(const ConversionRequest& request, const std::string& formName) {
    FrxFiles besideTheForm(request.form.parent_path());
    FrxSource& frx = request.frx ? *request.frx : besideTheForm;
    const FormReading reading{.controls = request.rc.dialog || request.rc.pictures, .codePage = NeedsCodePage(request)};
    if (request.formBytes) {
        FormReader reader = FormReader::FromBytes(*request.formBytes, formName);
        return ParseForm(reader, frx, reading);
    }
    Result<FormReader> reader = FormReader::Open(request.form, formName);
    if (!reader) return reader.error();
    return ParseForm(reader.value(), frx, reading);
}

void TellLostStrings(const Form& form, bool dialogWritten, const std::string& formName, ConversionReport& report) {
    for (const UnreadableString& lost : form.unreadable) {
        if (!lost.inMenu && !dialogWritten) continue;
        const std::string_view owner = lost.inMenu ? form.menu[lost.node].name : form.objects[lost.node].name;
        report.lost.push_back({std::string(owner), std::string(PropertyName(lost.property)), lost.line, lost.frxError});
        // The dialog's own are told where its controls are.
        if (lost.inMenu)
            report.warnings.push_back(formName + ": the " + report.lost.back().property + " of " + std::string(owner) +
                                      " is left empty: " + lost.Why());
    }
}

// Every item the RC text leaves out for want of a caption, and every one kept
// all the same so that its menu is not empty, by its line.
void TellLeftOutItems(const Form& form, const NameTable& names, const std::string& formName,
                      std::vector<std::string>& warnings) {
    std::vector<std::pair<std::uint32_t, bool>> told;  // the item, and whether it is kept
    for (const std::uint32_t item : names.leftOut()) told.emplace_back(item, false);
    for (const std::uint32_t item : names.placeholders()) told.emplace_back(item, true);
    std::sort(told.begin(), told.end());
    for (const auto& [item, kept] : told) {
        std::string warning = formName + ":" + std::to_string(form.menu[item].line) + ": menu item '";
        warning.append(form.menu[item].name);
        warning += kept ? "' has no caption; it is kept as MENUITEM \"\", as its menu would be empty without it"
                        : "' has no caption and no items; it is left out";
        warnings.push_back(std::move(warning));
    }
}

Result<ConversionReport> Convert(const ConversionRequest& request, const Destination& destination) {
    const std::string formName = request.formName.empty() ? Utf8FromPath(request.form) : request.formName;
    Result<Form> read = ReadForm(request, formName);
    if (!read) return read.error();
    const Form& form = read.value();

    // The pictures' files go beside the RC file, unless the caller names their folder.
    const std::filesystem::path pictureFolder = !destination.pictures.empty() ? destination.pictures
                                                : destination.text ? std::filesystem::path()
                                                                   : destination.file.parent_path();
    if (request.rc.pictures && destination.text && destination.pictures.empty())
        return FileError(ErrorKind::OutputNameEmpty, {});
    std::vector<std::string> pictureWarnings;
    FormPictures pictures;
    if (request.rc.pictures) {
        // Named after the form's file; a form from elsewhere after its name in the form.
        const std::string stem = request.formBytes || request.form.stem().empty() ? std::string(form.objects[0].name)
                                                                                  : Utf8FromPath(request.form.stem());
        std::set<std::string> ownFiles;
        std::set<std::string>& taken = destination.pictureFiles ? *destination.pictureFiles : ownFiles;
        const ClaimFileName claim = [&](const std::string& fileName) {
            std::error_code error;
            const std::filesystem::path path = pictureFolder / PathFromUtf8(fileName);
            const std::filesystem::path place = std::filesystem::absolute(path, error);
            return taken.insert(LowerAscii(Utf8FromPath((error ? path : place).lexically_normal()))).second;
        };
        pictures = ReadFormPictures(form, request.form.parent_path(), stem, formName, claim, pictureWarnings);
    }
    const std::vector<FormPicture>* pictureList = request.rc.pictures ? &pictures.pictures : nullptr;

    // A form without a menu may still give a dialog or pictures, but an MDI form never gives a dialog.
    ConversionReport report;
    std::vector<std::string> dialogWarnings;
    std::optional<DialogLayout> dialog;
    if (request.rc.dialog) {
        if (std::optional<std::string> why = WhyNoDialog(form, formName)) dialogWarnings.push_back(std::move(*why));
        else dialog = LayOutDialog(form, formName, dialogWarnings, pictureList);
    }
    if (form.menu.empty() && !dialog && pictures.pictures.empty()) return FileError(ErrorKind::NoMenu, formName);
    TellLostStrings(form, dialog.has_value(), formName, report);

    Result<NameTable> named = NameForm(form, dialog ? &*dialog : nullptr, request.rc, formName, pictureList);
    if (!named) return named.error();
    const NameTable& names = named.value();
    // With context menus, a form whose every top-level menu is hidden and empty leaves nothing to write.
    if (!names.HasMainMenu() && names.contextMenus().empty() && !dialog && pictures.pictures.empty())
        return FileError(ErrorKind::NoMenu, formName);
    TellLeftOutItems(form, names, formName, report.warnings);
    if (request.rc.shortcuts) WarnUnknownShortcuts(form, names, formName, report.warnings);
    for (std::string& warning : dialogWarnings) report.warnings.push_back(std::move(warning));
    for (std::string& warning : pictureWarnings) report.warnings.push_back(std::move(warning));

    RcOptions options = request.rc;
    if (NeedsCodePage(request)) {
        const CodePageChoice codePage =
            ChooseCodePage(form.facts, request.systemCodePage ? request.systemCodePage : SystemAnsiCodePage());
        report.codePage = codePage.codePage;
        if (options.codePage == RcOptions::kAutoCodePage) {
            options.codePage = codePage.codePage;
            if (!codePage.warning.empty()) report.warnings.push_back(formName + ": " + codePage.warning);
        }
    }
    const auto writeRc = [&](TextSink& out) {
        WriteResourceScript(form, names, dialog ? &*dialog : nullptr, options, out, pictureList);
    };

    // Every file of the conversion is opened before a word is written, the RC
    // file first, so a target that cannot be written stops everything; they are
    // put in place together once all are written, the RC file first. A failing
    // RC file never leaves a new header beside the old RC file, and an RC text
    // that includes a header is never saved without it.
    std::vector<SafeFile> files;  // the RC file (unless the text is handed back), the header, the MASM file, the pictures
    for (const std::filesystem::path* target : {&destination.file, &destination.header, &destination.masm}) {
        if (target == &destination.file ? destination.text != nullptr : target->empty()) continue;
        Result<SafeFile> opened = SafeFile::Open(*target, request.form);
        if (!opened) return opened.error();
        files.push_back(std::move(opened.value()));
    }
    const std::size_t firstPicture = files.size();
    for (const FormPicture& picture : pictures.pictures) {
        const std::filesystem::path target = pictureFolder / PathFromUtf8(picture.fileName);
        // A picture's file may not take the place of the .frx it comes from (a link, or one file of two names).
        for (const std::filesystem::path& frx : pictures.frxFiles) {
            std::error_code error;
            if (std::filesystem::equivalent(target, frx, error) && !error) {
                ConvertError refused = FileError(ErrorKind::OutputIsForm, Utf8FromPath(target));
                refused.detail = "the form's .frx file " + Utf8FromPath(frx);
                return refused;
            }
        }
        Result<SafeFile> opened = SafeFile::Open(target, request.form);
        if (!opened) return opened.error();
        files.push_back(std::move(opened.value()));
        report.picturesWritten.push_back(target);
    }
    std::size_t next = 0;
    if (destination.text) {
        StringSink text(*destination.text);
        writeRc(text);
    } else {
        BufferedSink buffered(files[next++]);
        writeRc(buffered);
        buffered.Write("\r\n");
    }
    const std::string formFileName = request.formBytes ? std::string("standard input") : Utf8FromPath(request.form.filename());
    if (!destination.header.empty()) {
        BufferedSink buffered(files[next++]);
        bool accelerators = false;
        for (std::size_t i = 0; options.shortcuts && !accelerators && i < form.menu.size(); ++i)
            accelerators = names.Item(i) && FindShortcutKey(form.menu[i].shortcut);
        WriteCHeader(names, Utf8FromPath(destination.header.filename()), formFileName, options.menuName, accelerators,
                     buffered, pictureList);
    }
    if (!destination.masm.empty()) {
        BufferedSink buffered(files[next++]);
        WriteMasmNumbers(names, formFileName, buffered);
    }
    for (std::size_t i = 0; i < pictures.pictures.size(); ++i) files[firstPicture + i].Write(pictures.pictures[i].file.bytes);
    if (files.empty()) return report;
    if (destination.batch) {
        destination.batch->Add(std::move(files));
        return report;
    }
    SaveBatch alone;
    alone.Add(std::move(files));
    if (Status saved = alone.Commit().front(); !saved) return saved.error();
    return report;
}

}  // namespace

Result<ConversionReport> ConvertForm(const ConversionRequest& request, const Destination& destination) {
    // A refused allocation or a failed file-system call deep inside becomes an
    // error like any other; anything else thrown would be a fault of the
    // program, and goes to the caller's last guard.
    try {
        return Convert(request, destination);
    } catch (const std::bad_alloc&) {
        return FileError(ErrorKind::OutOfMemory, request.formName.empty() ? Utf8FromPath(request.form) : request.formName);
    } catch (const std::length_error&) {
        return FileError(ErrorKind::OutOfMemory, request.formName.empty() ? Utf8FromPath(request.form) : request.formName);
    } catch (const std::filesystem::filesystem_error& failure) {
        return FileError(ErrorKind::FormUnreadable, Utf8FromPath(failure.path1().empty() ? request.form : failure.path1()),
                         failure.code());
    }
}

Result<std::string> ConvertFormToText(const ConversionRequest& request) {
    std::string text;
    Destination destination;
    destination.text = &text;
    const Result<ConversionReport> converted = ConvertForm(request, destination);
    if (!converted) return converted.error();
    return text;
}

}  // namespace tarvel
