#include "conversion_call.h"

#include "conversion_command.h"
#include "leading_number.h"

namespace tarvel::ui {
namespace {

ConversionFailure Translate(const ConvertError& error) {
    ConversionFailure failure;
    failure.file = error.file;
    failure.system = error.system;
    switch (error.kind) {
        case ErrorKind::FormUnreadable: failure.kind = FailureKind::FormUnreadable; break;
        case ErrorKind::NoMenu: failure.kind = FailureKind::NoMenu; break;
        case ErrorKind::FrxUnreadable: failure.kind = FailureKind::FrxUnreadable; break;
        case ErrorKind::FrxOutOfRange: failure.kind = FailureKind::FrxOutOfRange; break;
        case ErrorKind::OutputNameEmpty: failure.kind = FailureKind::OutputNameEmpty; break;
        case ErrorKind::OutputIsForm: failure.kind = FailureKind::OutputIsForm; break;
        case ErrorKind::OutputUnwritable: failure.kind = FailureKind::OutputUnwritable; break;
        // The first ID is read here before the conversion sees it, so only the
        // items' numbers can run past the signed 32-bit range.
        case ErrorKind::FirstIdOutOfRange:
        case ErrorKind::IdOutOfRange:
            failure.kind = FailureKind::ItemNumberOutOfRange;
            failure.number = std::int64_t{INT32_MAX} + 1;
            break;
    }
    return failure;
}

}  // namespace

std::optional<std::int32_t> ReadFirstId(std::string_view text) { return ReadLeadingNumber(text); }

ConversionOutcome RunConvert(const ConversionOrder& order) {
    MainFormState working;  // the conversion's own variables, reset on every run
    ConversionRequest request;
    request.form = order.form;
    request.firstIdText = std::to_string(order.firstId);
    request.useDefines = order.useDefines;
    request.target = order.outputFile ? Target::File : Target::Clipboard;
    if (order.outputFile) request.output = *order.outputFile;

    Result<std::string> text = RunConversion(working, request);
    if (!text) return {{}, Translate(text.error())};
    return {std::move(text.value()), std::nullopt};
}

}  // namespace tarvel::ui
