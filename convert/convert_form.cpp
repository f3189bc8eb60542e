#include "convert_form.h"

#include <exception>
#include <new>

#include "delivery.h"
#include "form_reader.h"
#include "frx_captions.h"
#include "menu_parser.h"

namespace tarvel {
namespace {

Result<ConversionReport> Convert(const ConversionRequest& request, const Destination& destination) {
    std::optional<FormReader> reader;
    if (request.formBytes) {
        reader = FormReader::FromBytes(*request.formBytes, request.form);
    } else {
        Result<FormReader> opened = FormReader::Open(request.form);
        if (!opened) return opened.error();
        reader = std::move(opened.value());
    }
    FrxFiles besideTheForm(request.form.parent_path());
    Result<Menu> menu = ParseMenu(*reader, request.frx ? *request.frx : besideTheForm);
    reader.reset();
    if (!menu) return menu.error();

    const std::string formName = PathText(request.form);
    Result<MenuNumbers> numbers = NumberMenu(menu.value(), request.rc, formName);
    if (!numbers) return numbers.error();

    if (destination.text) {
        StringSink text(*destination.text);
        WriteRcMenu(menu.value(), numbers.value(), text);
        return ConversionReport{};
    }
    Result<SafeFile> file = SafeFile::Open(destination.file, request.form);
    if (!file) return file.error();
    {
        BufferedSink buffered(file.value());
        WriteRcMenu(menu.value(), numbers.value(), buffered);
        buffered.Write("\r\n");
    }
    if (destination.batch) {
        destination.batch->Add(std::move(file.value()));
        return ConversionReport{};
    }
    Status saved = file.value().Commit();
    if (!saved) return saved.error();
    return ConversionReport{};
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
