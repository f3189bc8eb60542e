#include "convert_form.h"

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "code_page.h"
#include "delivery.h"
#include "dialog_layout.h"
#include "form_parser.h"
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

// The form read into its tree; `formIdentity` tells which file it was read
// from, when the system says (a file, or a stream that is one).
Result<Form> ReadForm(const ConversionRequest& request, const std::string& formName, FrxSource& frx,
                      std::optional<FileIdentity>& formIdentity) {
    const FormReading reading{.controls = request.rc.dialog, .codePage = NeedsCodePage(request)};
    if (request.formBytes) {
        FormReader reader = FormReader::FromBytes(*request.formBytes, formName);
        return ParseForm(reader, frx, reading);
    }
    if (request.formStream) {
        FormReader reader = FormReader::FromStream(request.formStream, formName);
        formIdentity = reader.identity();
        return ParseForm(reader, frx, reading);
    }
    Result<FormReader> reader = FormReader::Open(request.form, formName);
    if (!reader) return reader.error();
    formIdentity = reader.value().identity();
    return ParseForm(reader.value(), frx, reading);
}

void TellLostStrings(const Form& form, bool dialogWritten, const std::string& formName, ConversionReport& report) {
    for (const UnreadableString& lost : form.unreadable) {
        if (!lost.inMenu && !dialogWritten) continue;
        const std::string_view owner = lost.inMenu ? form.menu[lost.node].name : form.objects[lost.node].name;
        report.lost.push_back({std::string(owner), std::string(PropertyName(lost.property)), lost.line, lost.frxError,
                               lost.malformed ? lost.dataReference : std::string()});
        // The dialog's own are told where its controls are.
        if (lost.inMenu)
            report.warnings.push_back(Where(formName, lost.line) + "the " + report.lost.back().property + " of " +
                                      std::string(owner) + " is left empty: " + lost.Why());
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
    FrxFiles besideTheForm(request.form.parent_path());
    std::optional<FileIdentity> formIdentity;
    Result<Form> read = ReadForm(request, formName, request.frx ? *request.frx : besideTheForm, formIdentity);
    if (!read) return read.error();
    const Form& form = read.value();

    // Every file read, which no output may overwrite.
    ConversionReport report;
    const bool formFromFile = !request.formBytes && !request.formStream;
    if (formFromFile) report.filesRead.push_back(request.form);
    std::vector<InputFile> inputs;
    if (formIdentity) inputs.push_back({*formIdentity, {}});
    for (const FrxFolder::ReadFile& frx : besideTheForm.folder().filesRead()) {
        report.filesRead.push_back(frx.path);
        if (frx.identity) inputs.push_back({*frx.identity, Utf8FromPath(frx.path)});
    }

    // A form without a menu may still give a dialog, but an MDI form never does.
    std::vector<std::string> dialogWarnings;
    std::optional<DialogLayout> dialog;
    if (request.rc.dialog) {
        if (std::optional<std::string> why = WhyNoDialog(form, formName)) dialogWarnings.push_back(std::move(*why));
        else dialog = LayOutDialog(form, formName, dialogWarnings);
    }
    if (form.menu.empty() && !dialog) return FileError(ErrorKind::NoMenu, formName);
    TellLostStrings(form, dialog.has_value(), formName, report);

    Result<NameTable> named = NameForm(form, dialog ? &*dialog : nullptr, request.rc, formName);
    if (!named) return named.error();
    const NameTable& names = named.value();
    // With context menus, a form whose every top-level menu is hidden and empty leaves nothing to write.
    if (!names.HasMainMenu() && names.contextMenus().empty() && !dialog) return FileError(ErrorKind::NoMenu, formName);
    TellLeftOutItems(form, names, formName, report.warnings);
    if (request.rc.shortcuts) WarnUnknownShortcuts(form, names, formName, report.warnings);
    for (std::string& warning : dialogWarnings) report.warnings.push_back(std::move(warning));

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
    const auto writeRc = [&](TextSink& out) { WriteResourceScript(form, names, dialog ? &*dialog : nullptr, options, out); };

    // Every file of the conversion is opened before a word is written, the RC
    // file first, so a target that cannot be written stops everything; they are
    // put in place together once all are written, the RC file first. A failing
    // RC file never leaves a new header beside the old RC file, and an RC text
    // that includes a header is never saved without it.
    std::vector<SafeFile> files;  // the RC file (unless the text is handed back), the header, the MASM file
    for (const std::filesystem::path* target : {&destination.file, &destination.header, &destination.masm}) {
        const std::string* handedBack = target == &destination.file     ? destination.text
                                        : target == &destination.header ? destination.headerText
                                                                        : destination.masmText;
        if (handedBack || target->empty()) continue;
        Result<SafeFile> opened = SafeFile::Open(*target, inputs);
        if (!opened) return opened.error();
        files.push_back(std::move(opened.value()));
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
    const std::string formFileName =
        formFromFile ? Utf8FromPath(request.form.filename()) : std::string("standard input");
    if (!destination.header.empty()) {
        bool accelerators = false;
        for (std::size_t i = 0; options.shortcuts && !accelerators && i < form.menu.size(); ++i)
            accelerators = names.Item(i) && FindShortcutKey(form.menu[i].shortcut);
        const auto writeHeader = [&](TextSink& out) {
            WriteCHeader(names, Utf8FromPath(destination.header.filename()), formFileName, options.menuName,
                         accelerators, out);
        };
        if (destination.headerText) {
            StringSink text(*destination.headerText);
            writeHeader(text);
        } else {
            BufferedSink buffered(files[next++]);
            writeHeader(buffered);
        }
    }
    if (!destination.masm.empty()) {
        if (destination.masmText) {
            StringSink text(*destination.masmText);
            WriteMasmNumbers(names, formFileName, text);
        } else {
            BufferedSink buffered(files[next++]);
            WriteMasmNumbers(names, formFileName, buffered);
        }
    }
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
