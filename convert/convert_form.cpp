#include "convert_form.h"

#include <exception>
#include <new>
#include <optional>
#include <utility>

#include "code_page.h"
#include "delivery.h"
#include "form_reader.h"
#include "frx_captions.h"
#include "header_writer.h"
#include "menu_parser.h"
#include "rc_accelerators.h"

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

    RcOptions options = request.rc;
    if (options.codePage == RcOptions::kAutoCodePage) options.codePage = AutoCodePage(menu.value());
    ConversionReport report;
    if (options.shortcuts) WarnUnknownShortcuts(menu.value(), numbers.value(), formName, report.warnings);

    // The RC file is opened first and saved last: a target that cannot be
    // written stops everything, and an RC text that includes a header is
    // never saved without it.
    std::optional<SafeFile> rcFile;
    if (!destination.text) {
        Result<SafeFile> opened = SafeFile::Open(destination.file, request.form);
        if (!opened) return opened.error();
        rcFile.emplace(std::move(opened.value()));
    }
    const std::string formFileName = request.formBytes ? std::string("standard input") : PathText(request.form.filename());
    for (const bool masm : {false, true}) {
        const std::filesystem::path& target = masm ? destination.masm : destination.header;
        if (target.empty()) continue;
        Result<SafeFile> file = SafeFile::Open(target, request.form);
        if (!file) return file.error();
        {
            BufferedSink buffered(file.value());
            if (masm) WriteMasmNumbers(menu.value(), numbers.value(), formFileName, buffered);
            else WriteCHeader(menu.value(), numbers.value(), PathText(target.filename()), formFileName, buffered);
        }
        Status saved = file.value().Commit();
        if (!saved) return saved.error();
    }

    if (destination.text) {
        StringSink text(*destination.text);
        WriteRcMenu(menu.value(), numbers.value(), options, text);
        return report;
    }
    {
        BufferedSink buffered(*rcFile);
        WriteRcMenu(menu.value(), numbers.value(), options, buffered);
        buffered.Write("\r\n");
    }
    if (destination.batch) {
        destination.batch->Add(std::move(*rcFile));
        return report;
    }
    Status saved = rcFile->Commit();
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
