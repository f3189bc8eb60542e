#include "conversion_call.h"

#include "delivery.h"

namespace tarvel::ui {

ConversionOutcome RunConvert(const ConversionOrder& order) {
    ConversionRequest request;
    request.form = order.form;
    request.rc = order.rc;
    request.systemCodePage = order.systemCodePage;
    request.reportCodePage = true;  // the clipboard's text is decoded by it
    ConversionOutcome outcome;
    Destination destination;
    destination.text = &outcome.text;
    Result<ConversionReport> converted = ConvertForm(request, destination);
    if (!converted) {
        outcome.text.clear();
        outcome.failure = converted.error();
        return outcome;
    }
    outcome.codePage = converted.value().codePage;
    outcome.lost = std::move(converted.value().lost);
    if (order.outputFile) {
        // Neither the form nor a .frx file it was read with may be overwritten.
        const Status saved = DeliverToFile(outcome.text, *order.outputFile, order.form, converted.value().filesRead);
        if (!saved) {
            outcome.text.clear();
            outcome.failure = saved.error();
        }
    }
    return outcome;
}

}  // namespace tarvel::ui
