#include "conversion_call.h"

#include "convert_form.h"
#include "delivery.h"
#include "leading_number.h"

namespace tarvel::ui {
namespace {

ConversionFailure Translate(const ConvertError& error) {
    ConversionFailure failure;
    failure.file = error.file;
    failure.detail = error.detail;
    failure.number = error.number;
    failure.system = error.system;
    switch (error.kind) {
        case ErrorKind::FormUnreadable: failure.kind = FailureKind::FormUnreadable; break;
        case ErrorKind::FormLineTooLong: failure.kind = FailureKind::FormLineTooLong; break;
        case ErrorKind::ItemNumberOutOfRange: failure.kind = FailureKind::ItemNumberOutOfRange; break;
        case ErrorKind::ControlNumberOutOfRange: failure.kind = FailureKind::ControlNumberOutOfRange; break;
        case ErrorKind::OutOfMemory: failure.kind = FailureKind::OutOfMemory; break;
        case ErrorKind::NoMenu: failure.kind = FailureKind::NoMenu; break;
        case ErrorKind::FrxUnreadable: failure.kind = FailureKind::FrxUnreadable; break;
        case ErrorKind::FrxOutOfRange: failure.kind = FailureKind::FrxOutOfRange; break;
        case ErrorKind::OutputNameEmpty: failure.kind = FailureKind::OutputNameEmpty; break;
        case ErrorKind::OutputIsForm: failure.kind = FailureKind::OutputIsForm; break;
        case ErrorKind::OutputUnwritable: failure.kind = FailureKind::OutputUnwritable; break;
        case ErrorKind::OutputLinkRefused: failure.kind = FailureKind::OutputLinkRefused; break;
        case ErrorKind::OutputIncomplete: failure.kind = FailureKind::OutputIncomplete; break;
        case ErrorKind::OutputFolderNotFlushed: failure.kind = FailureKind::OutputFolderNotFlushed; break;
    }
    return failure;
}

}  // namespace

std::optional<std::int32_t> ReadFirstId(std::string_view text) { return ReadLeadingNumber(text); }

ConversionOutcome RunConvert(const ConversionOrder& order) {
    ConversionRequest request;
    request.form = order.form;
    request.rc.firstId = order.firstId;
    request.rc.useDefines = order.useDefines;
    // The text is always handed back (the result box shows it); a file gets it saved safely after.
    Result<std::string> converted = ConvertFormToText(request);
    if (!converted) return {{}, Translate(converted.error())};
    std::string& text = converted.value();
    if (order.outputFile) {
        const Status saved = DeliverToFile(text, *order.outputFile, order.form);
        if (!saved) return {{}, Translate(saved.error())};
    }
    return {std::move(text), std::nullopt};
}

}  // namespace tarvel::ui
