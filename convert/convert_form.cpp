#include "convert_form.h"

#include <exception>
#include <new>

#include "delivery.h"
#include "dialog_writer.h"
#include "form_parser.h"
#include "form_reader.h"
#include "frx_captions.h"
#include "menu_parser.h"

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
    bool withDialog = false;

    void Write(TextSink& out) const {
        if (!withDialog) {
            WriteRcMenu(*menu, *menuNumbers, out);
            return;
        }
        // The style names of the dialog are defined there.
        out.Write("#include <windows.h>\r\n\r\n");
        if (menu) WriteMenuDefines(*menu, *menuNumbers, out);
        if (dialog) WriteDialogDefines(*dialog, out);
        out.Write("\r\n\r\n");
        if (menu) WriteMenuResource(*menu, *menuNumbers, out);
        if (menu && dialog) out.Write("\r\n");
        if (dialog) WriteDialogResource(*form, *dialog, menu.has_value(), out);
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
    resources.withDialog = request.rc.dialog;
    if (menu) {
        Result<MenuNumbers> numbers = NumberMenu(menu.value(), request.rc, formName);
        if (!numbers) return numbers.error();
        resources.menu = std::move(menu.value());
        resources.menuNumbers = std::move(numbers.value());
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

    if (destination.text) {
        StringSink text(*destination.text);
        resources.Write(text);
        return report;
    }
    Result<SafeFile> file = SafeFile::Open(destination.file, request.form);
    if (!file) return file.error();
    {
        BufferedSink buffered(file.value());
        resources.Write(buffered);
        buffered.Write("\r\n");
    }
    Status saved = file.value().Commit();
    if (!saved) return saved.error();
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

}  // namespace tarvel
