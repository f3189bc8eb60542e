#include "result.h"

namespace tarvel {

std::string Describe(const ConvertError& error) {
    const std::string reason = error.system ? error.system.message() : std::string("unknown reason");
    switch (error.kind) {
        case ErrorKind::FormUnreadable:
            return error.file + ": cannot read the form: " + reason;
        case ErrorKind::FormLineTooLong:
            return error.file + ": cannot read the form: a line is longer than 16 MiB";
        case ErrorKind::NoMenu:
            return error.file + ": no menu";
        case ErrorKind::FrxUnreadable:
            return error.file + ": cannot read the caption file: " + reason;
        case ErrorKind::FrxOutOfRange:
            return error.file + ": a caption's offset or length runs past the end of the file";
        case ErrorKind::ItemNumberOutOfRange:
            return error.file + ": menu item '" + error.detail + "' would get number " + std::to_string(error.number) +
                   ", outside the 0 to 65535 of a MENU resource";
        case ErrorKind::ControlNumberOutOfRange:
            return error.file + ": control '" + error.detail + "' would get number " + std::to_string(error.number) +
                   ", outside the 0 to 65535 of a dialog's controls";
        case ErrorKind::OutputNameEmpty:
            return "no output file named";
        case ErrorKind::OutputIsForm:
            return error.file + ": the output file would overwrite the form";
        case ErrorKind::OutputUnwritable:
            return error.file + ": cannot write the output file: " + reason;
        case ErrorKind::OutputLinkRefused:
            return error.file + ": not written: " + (error.detail.empty() ? "it" : "'" + error.detail + "'") +
                   " is a symbolic link of another user in a shared folder with the sticky bit, and the"
                   " protected_symlinks rule of the system follows such links for their owner only";
        case ErrorKind::OutputIncomplete:
            return error.file + ": rewriting the file in place failed part way: " + reason +
                   "; the file may be incomplete";
        case ErrorKind::OutputFolderNotFlushed:
            return error.file + ": written, but its folder could not be flushed to the disk: " + reason +
                   "; after a crash the old file may come back";
        case ErrorKind::OutOfMemory:
            return error.file + ": not enough memory to convert the form";
    }
    return error.file;
}

}  // namespace tarvel
