#include "result.h"

namespace tarvel {
namespace {

// An offset as the form writes it ("Form1.frx":0B2D): upper-case hex, at least four digits.
std::string FrxOffsetText(std::int64_t offset) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (auto rest = static_cast<std::uint64_t>(offset); rest != 0 || text.size() < 4; rest /= 16)
        text.insert(text.begin(), kDigits[rest % 16]);
    return text;
}

}  // namespace

std::string_view ErrorKindName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::FormUnreadable: return "FormUnreadable";
        case ErrorKind::NotARegularFile: return "NotARegularFile";
        case ErrorKind::FormLineTooLong: return "FormLineTooLong";
        case ErrorKind::FrxEntryTooLong: return "FrxEntryTooLong";
        case ErrorKind::NotAForm: return "NotAForm";
        case ErrorKind::NoMenu: return "NoMenu";
        case ErrorKind::FrxUnreadable: return "FrxUnreadable";
        case ErrorKind::FrxOutOfRange: return "FrxOutOfRange";
        case ErrorKind::ItemNumberOutOfRange: return "ItemNumberOutOfRange";
        case ErrorKind::ControlNumberOutOfRange: return "ControlNumberOutOfRange";
        case ErrorKind::OutputNameEmpty: return "OutputNameEmpty";
        case ErrorKind::OutputIsForm: return "OutputIsForm";
        case ErrorKind::OutputIsInput: return "OutputIsInput";
        case ErrorKind::OutputsShareAFile: return "OutputsShareAFile";
        case ErrorKind::OutputUnwritable: return "OutputUnwritable";
        case ErrorKind::OutputLinkRefused: return "OutputLinkRefused";
        case ErrorKind::OutputIncomplete: return "OutputIncomplete";
        case ErrorKind::OutputFolderNotFlushed: return "OutputFolderNotFlushed";
        case ErrorKind::OutOfMemory: return "OutOfMemory";
    }
    return "?";
}

std::string Where(const std::string& file, std::uint32_t line) {
    return line ? file + ":" + std::to_string(line) + ": " : file + ": ";
}

std::string Describe(const ConvertError& error) {
    const std::string reason = error.system ? error.system.message() : std::string("unknown reason");
    const std::string where = Where(error.file, error.line);
    switch (error.kind) {
        case ErrorKind::FormUnreadable:
            return where + "cannot read the form: " + reason;
        case ErrorKind::NotARegularFile:
            return where + "cannot read the form: it is not a regular file but a pipe, a socket or a device";
        case ErrorKind::FormLineTooLong:
            return where + "cannot read the form: the line is longer than 16 MiB";
        case ErrorKind::FrxEntryTooLong:
            return where + "the string it refers to in " + error.detail + " claims " + std::to_string(error.number) +
                   " bytes, more than the 16 MiB a line of a form may hold";
        case ErrorKind::NotAForm:
            if (error.detail.empty()) return where + "not a form: no Begin VB.Form or Begin VB.MDIForm line";
            return where + "not a form: it begins " + error.detail + ", not VB.Form or VB.MDIForm";
        case ErrorKind::NoMenu:
            return where + "no menu";
        case ErrorKind::FrxUnreadable:
            if (error.detail == "not a regular file")
                return where + "cannot read the caption file: it is not a regular file but a pipe, a socket or a device";
            return where + "cannot read the " + (error.detail.empty() ? std::string("caption") : error.detail) +
                   " file: " + reason;
        case ErrorKind::FrxOutOfRange:
            if (!error.detail.empty()) return where + "at offset " + FrxOffsetText(error.number) + ": " + error.detail;
            return where + "a caption's offset or length runs past the end of the file";
        case ErrorKind::ItemNumberOutOfRange:
            return where + "menu item '" + error.detail + "' would get number " + std::to_string(error.number) +
                   ", outside the 0 to 65535 of a MENU resource";
        case ErrorKind::ControlNumberOutOfRange:
            return where + "control '" + error.detail + "' would get number " + std::to_string(error.number) +
                   ", outside the 0 to 65535 of a dialog's controls";
        case ErrorKind::OutputNameEmpty:
            return "no output file named";
        case ErrorKind::OutputIsForm:
            return where + "the output file would overwrite the form";
        case ErrorKind::OutputIsInput:
            return where + "the output file would overwrite " + error.detail + ", which the conversion reads";
        case ErrorKind::OutputsShareAFile:
            return where + "a picture of the form would be written to '" + error.detail + "', and another output to '" +
                   error.otherFile + "': two outputs cannot be one file";
        case ErrorKind::OutputUnwritable:
            return where + "cannot write the output file: " + reason;
        case ErrorKind::OutputLinkRefused:
            return where + "not written: " + (error.detail.empty() ? "it" : "'" + error.detail + "'") +
                   " is a symbolic link of another user in a shared folder with the sticky bit, and the"
                   " protected_symlinks rule of the system follows such links for their owner only";
        case ErrorKind::OutputIncomplete:
            return where + "rewriting the file in place failed part way: " + reason +
                   "; the file may be incomplete";
        case ErrorKind::OutputFolderNotFlushed:
            return where + "written, but its folder could not be flushed to the disk: " + reason +
                   "; after a crash the old file may come back";
        case ErrorKind::OutOfMemory:
            return where + "not enough memory to convert the form";
    }
    return where;
}

}  // namespace tarvel
