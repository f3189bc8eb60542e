#include "convert_form.h"

#include <exception>
#include <new>
#include <optional>
#include <utility>

#include "code_page.h"
#include "delivery.h"
#include "dialog_writer.h"
#include "form_parser.h"
#include "form_reader.h"
#include "frx_captions.h"
#include "header_writer.h"
#include "menu_parser.h"
#include "rc_accelerators.h"

namespace tarvel {
namespace {

Status OpenForm(const ConversionRequest& request, std::optional<FormReader>& reader) {
    if (request.formBytes) {
        reader = FormReader::FromBytes(*request.formBytes, request.form);
        return Done{};
    }
    Result<FormReader> opened = FormReader::Open(request.form);
    if (!opened) return opened.error();
    reader = std::move(opened.value());
    return Done{};
}

// What a conversion writes: the menu alone, as it always was, or with --dialog
// the form's dialog after it, both numbered from one #define list.
struct Resources {
    std::optional<Menu> menu;
    std::optional<MenuNumbers> menuNumbers;
    std::optional<Form> form;
    std::optional<Dialog> dialog;
    RcOptions options;

    void Write(TextSink& out) const {
        if (!options.dialog) {
            WriteRcMenu(*menu, *menuNumbers, options, out);
            return;
        }
        WriteCodePage(options, out);
        // The style names of the dialog are defined there.
        out.Write("#include <windows.h>\r\n\r\n");
        if (!options.includeFile.empty()) {
            WriteInclude(options, out);
        } else {
            if (menu) WriteDefines(*menu, *menuNumbers, out);
            if (dialog) WriteDialogDefines(*dialog, out);
        }
        out.Write("\r\n\r\n");
        if (menu) WriteMenuResources(*menu, *menuNumbers, options, out);
        if (menu && dialog) out.Write("\r\n");
        if (dialog) WriteDialogResource(*form, *dialog, menu.has_value(), out);
    }

    /// Every #defined name with its number, for a C header or a MASM file.
    std::vector<NamedNumber> Names() const {
        std::vector<NamedNumber> names;
        if (menu) names = DefinedNames(*menu, *menuNumbers);
        if (dialog)
            for (const DialogControl& control : dialog->controls)
                if (!control.identifier.empty()) names.push_back({control.identifier, control.number});
        return names;
    }
};

Result<ConversionReport> Convert(const ConversionRequest& request, const Destination& destination) {
    std::optional<FormReader> reader;
    if (Status opened = OpenForm(request, reader); !opened) return opened.error();
    FrxFiles besideTheForm(request.form.parent_path());
    FrxSource& frx = request.frx ? *request.frx : besideTheForm;
    Result<Menu> menu = ParseMenu(*reader, frx);
    reader.reset();
    // A form without a menu may still give a dialog.
    if (!menu && !(request.rc.dialog && menu.error().kind == ErrorKind::NoMenu)) return menu.error();

    const std::string formName = PathText(request.form);
    ConversionReport report;
    Resources resources;
    resources.options = request.rc;
    if (menu) {
        Result<MenuNumbers> numbers = NumberMenu(menu.value(), request.rc, formName);
        if (!numbers) return numbers.error();
        resources.menu = std::move(menu.value());
        resources.menuNumbers = std::move(numbers.value());
        if (request.rc.shortcuts)
            WarnUnknownShortcuts(*resources.menu, *resources.menuNumbers, formName, report.warnings);
    }
    if (request.rc.dialog) {
        // The whole form is read again: the menu's reading stops at its end.
        if (Status opened = OpenForm(request, reader); !opened) return opened.error();
        Result<Form> form = ParseForm(*reader, frx);
        reader.reset();
        if (!form) return form.error();
        if (std::optional<std::string> why = WhyNoDialog(form.value(), formName)) {
            if (!resources.menu) return menu.error();
            report.warnings.push_back(std::move(*why));
        } else {
            const MenuNumbers* numbers = resources.menuNumbers ? &*resources.menuNumbers : nullptr;
            Result<Dialog> dialog = PlanDialog(form.value(), numbers, request.rc, formName, report.warnings);
            if (!dialog) return dialog.error();
            resources.form = std::move(form.value());
            resources.dialog = std::move(dialog.value());
        }
    }
    if (resources.options.codePage == RcOptions::kAutoCodePage)
        resources.options.codePage = resources.menu ? AutoCodePage(*resources.menu) : AutoCodePage(Menu{});

    // Every file of the conversion is opened before a word is written, the RC
    // file first, so a target that cannot be written stops everything; they are
    // put in place together once all are written, the RC file first. A failing
    // RC file never leaves a new header beside the old RC file, and an RC text
    // that includes a header is never saved without it.
    std::vector<SafeFile> files;  // the RC file (unless the text is handed back), the header, the MASM file
    for (const std::filesystem::path* target : {&destination.file, &destination.header, &destination.masm}) {
        if (target == &destination.file ? destination.text != nullptr : target->empty()) continue;
        Result<SafeFile> opened = SafeFile::Open(*target, request.form);
        if (!opened) return opened.error();
        files.push_back(std::move(opened.value()));
    }
    std::size_t next = 0;
    if (destination.text) {
        StringSink text(*destination.text);
        resources.Write(text);
    } else {
        BufferedSink buffered(files[next++]);
        resources.Write(buffered);
        buffered.Write("\r\n");
    }
    const std::string formFileName = request.formBytes ? std::string("standard input") : PathText(request.form.filename());
    if (!destination.header.empty()) {
        BufferedSink buffered(files[next++]);
        WriteCHeader(resources.Names(), PathText(destination.header.filename()), formFileName, buffered);
    }
    if (!destination.masm.empty()) {
        BufferedSink buffered(files[next++]);
        WriteMasmNumbers(resources.Names(), formFileName, buffered);
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
    // Nothing throws across this boundary: a refused allocation or a failed
    // file-system call deep inside becomes an error like any other.
    try {
        return Convert(request, destination);
    } catch (const std::bad_alloc&) {
        return FileError(ErrorKind::OutOfMemory, PathText(request.form));
    } catch (const std::filesystem::filesystem_error& failure) {
        return FileError(ErrorKind::FormUnreadable, PathText(failure.path1().empty() ? request.form : failure.path1()),
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
