#include "result.h"

namespace tarvel {

std::string Describe(const ConvertError& error) {
    const std::string reason = error.system ? error.system.message() : std::string();
    switch (error.kind) {
        case ErrorKind::FirstIdOutOfRange:
            return "first ID \"" + error.file + "\" does not fit a signed 32-bit integer";
        case ErrorKind::FormUnreadable:
            return error.file + ": cannot read the form: " + reason;
        case ErrorKind::NoMenu:
            return error.file + ": no menu";
        case ErrorKind::FrxUnreadable:
            return error.file + ": cannot read the caption file: " + reason;
        case ErrorKind::FrxOutOfRange:
            return error.file + ": a caption's offset or length runs past the end of the file";
        case ErrorKind::IdOutOfRange:
            return error.file + ": the menu items' numbers run past 2147483647";
        case ErrorKind::OutputNameEmpty:
            return "no output file named";
        case ErrorKind::OutputIsForm:
            return error.file + ": the output file would overwrite the form";
        case ErrorKind::OutputUnwritable:
            return error.file + ": cannot write the output file: " + reason;
    }
    return error.file;
}

}  // namespace tarvel
