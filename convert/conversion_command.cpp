#include "conversion_command.h"

#include <optional>

#include "delivery.h"
#include "frx_captions.h"
#include "leading_number.h"
#include "menu_block_reader.h"
#include "rc_menu_generator.h"

namespace tarvel {

Result<std::string> RunConversion(MainFormState& state, const ConversionRequest& request) {
    state.defineText.clear();
    state.level = 0;
    state.menuText.clear();
    state.firstMenuLine.clear();

    const std::optional<std::int32_t> firstId = ReadLeadingNumber(request.firstIdText);
    if (!firstId) return ConvertError{ErrorKind::FirstIdOutOfRange, request.firstIdText, {}};
    state.nextId = *firstId;

    Result<FormFile> form = FormFile::Open(request.form);
    if (!form) return form.error();
    if (!CzyJestMenu(state, form.value())) {
        if (form.value().readError())
            return ConvertError{ErrorKind::FormUnreadable, PathText(request.form), form.value().readError()};
        return ConvertError{ErrorKind::NoMenu, PathText(request.form), {}};
    }
    Status collected = CollectMenuBlock(state, form.value());
    if (!collected) return collected.error();

    FrxFiles frx(request.form.parent_path());
    Result<std::string> text = GenerateRcMenu(state, request.useDefines, frx);
    state.menuText.clear();
    state.menuText.shrink_to_fit();
    if (!text) {
        ConvertError error = text.error();
        if (error.file.empty()) error.file = PathText(request.form);
        return error;
    }

    if (request.target == Target::File) {
        Status delivered = DeliverToFile(text.value(), request.output, request.form);
        if (!delivered) return delivered.error();
    }
    return text;
}

}  // namespace tarvel
