#include "convert_form.h"

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "ascii.h"
#include "code_page.h"
#include "delivery.h"
#include "dependency_writer.h"
#include "dialog_layout.h"
#include "file_io.h"
#include "form_parser.h"
#include "form_code.h"
#include "form_pictures.h"
#include "form_reader.h"
#include "frx_data.h"
#include "header_writer.h"
#include "name_table.h"
#include "program_writer.h"
#include "rc_writer.h"
#include "shortcut_keys.h"
#include "utf8.h"

namespace tarvel {
namespace {

bool NeedsCodePage(const ConversionRequest& request) {
    // A program turns the form's text into UTF-16 by its code page.
    return request.reportCodePage || request.rc.codePage == RcOptions::kAutoCodePage || request.rc.program;
}

// The form's code page as the whole form tells it, the system's ANSI code page (or the one the caller names) failing that.
CodePageChoice FormCodePage(const Form& form, const ConversionRequest& request) {
    return ChooseCodePage(form.facts, request.systemCodePage ? request.systemCodePage : SystemAnsiCodePage());
}

// The form read into its tree; `formIdentity` tells which file it was read
// from, when the system says (a file, or a stream that is one).
Result<Form> ReadForm(const ConversionRequest& request, const std::string& formName, FrxSource& frx,
                      std::optional<FileIdentity>& formIdentity) {
    const FormReading reading{.controls = request.rc.dialog || request.rc.pictures,
                              .codePage = NeedsCodePage(request),
                              .controlFonts = request.rc.program,
                              .code = request.rc.program,
                              .tabStripTabs = request.rc.program};
    if (request.formBytes) {
        FormReader reader = FormReader::FromBytes(*request.formBytes, formName);
        return ParseForm(reader, frx, reading);
    }
    if (request.formStream) {
        FormReader reader = FormReader::FromStream(request.formStream, formName);
        formIdentity = reader.identity();
        return ParseForm(reader, frx, reading);
    }
    Result<FormReader> reader = FormReader::Open(request.form, formName);
    if (!reader) return reader.error();
    formIdentity = reader.value().identity();
    return ParseForm(reader.value(), frx, reading);
}

void TellLostStrings(const Form& form, bool dialogWritten, const std::string& formName, ConversionReport& report) {
    for (const UnreadableString& lost : form.unreadable) {
        if (!lost.inMenu && !dialogWritten) continue;
        const std::string_view owner = lost.inMenu ? form.menu[lost.node].name : form.objects[lost.node].name;
        report.lost.push_back({std::string(owner), std::string(PropertyName(lost.property)), lost.line, lost.frxError,
                               lost.malformed ? lost.dataReference : std::string()});
        // The dialog's own are told where its controls are.
        if (lost.inMenu)
            report.warnings.push_back(Where(formName, lost.line) + "the " + report.lost.back().property + " of " +
                                      std::string(owner) + " is left empty: " + lost.Why());
    }
}

// A menu item's caption longer than one RC string takes (Microsoft's RC
// refuses a string of over 4,097 characters) is cut at a whole character of
// the form's code page, its shortcut's label kept after it: a menu resource has
// no program to set the rest, and an empty caption would lose the item's text
// and its access key, where the cut keeps the start that a menu can show.
std::vector<std::string> CutLongMenuCaptions(Form& form, const ConversionRequest& request, const std::string& formName) {
    std::vector<std::string> warnings;
    for (std::size_t i = 0; i < form.menu.size(); ++i) {
        MenuItem& item = form.menu[i];
        // Four bytes at most for each byte written, and a key's label is short: most fit unmeasured.
        if (item.caption.size() <= kLongestTemplateText / 5) continue;
        std::size_t budget = kLongestTemplateText - 2;  // the quotes
        if (request.rc.shortcuts)
            if (const ShortcutKey* key = FindShortcutKey(item.shortcut)) budget -= 2 + RcStringLength(key->label);
        if (RcStringLength(item.caption) <= budget) continue;
        std::size_t kept = 0, written = 0;
        for (; kept < item.caption.size(); ++kept) {
            written += RcWrittenLength(item.caption, kept);
            if (written > budget) break;
        }
        int codePage = request.rc.codePage > 0 ? request.rc.codePage : FormCodePage(form, request).codePage;
        // Read without its facts, the form is in the system's code page, unless the caption itself is UTF-8.
        if (request.rc.codePage <= 0 && !NeedsCodePage(request) && IsUtf8(item.caption)) codePage = 65001;
        kept = WholeCharacters(item.caption, kept, codePage);
        warnings.push_back(Where(formName, item.line) + "the Caption of menu item '" + std::string(item.name) + "' (" +
                           std::to_string(item.caption.size()) + " bytes) is longer than a resource compiler takes "
                           "in one string: it is cut to its first " + std::to_string(kept) + " bytes");
        item.caption = item.caption.substr(0, kept);
    }
    return warnings;
}

// Every item the RC text leaves out for want of a caption, and every one kept
// all the same so that its menu is not empty, by its line.
void TellLeftOutItems(const Form& form, const NameTable& names, const std::string& formName,
                      std::vector<std::string>& warnings) {
    std::vector<std::pair<std::uint32_t, bool>> told;  // the item, and whether it is kept
    for (const std::uint32_t item : names.leftOut()) told.emplace_back(item, false);
    for (const std::uint32_t item : names.placeholders()) told.emplace_back(item, true);
    std::sort(told.begin(), told.end());
    for (const auto& [item, kept] : told) {
        std::string warning = formName + ":" + std::to_string(form.menu[item].line) + ": menu item '";
        warning.append(form.menu[item].name);
        warning += kept ? "' has no caption; it is kept as MENUITEM \"\", as its menu would be empty without it"
                        : "' has no caption and no items; it is left out";
        warnings.push_back(std::move(warning));
    }
}

// The items of every ComboBox and ListBox that keeps its List in a .frx
// file, with their ItemData; a list that cannot be read is left out with a
// warning naming the form's line and the control, and the conversion goes on.
class ListReader {
public:
    ListReader(FrxSource& frx, const std::string& formName, std::vector<std::string>& warnings)
        : frx_(frx), formName_(formName), warnings_(warnings) {}

    std::vector<ListItems> Read(const Form& form) {
        std::vector<ListItems> lists;
        for (std::uint32_t i = 1; i < form.objects.size(); ++i) {
            const FormObject& object = form.objects[i];
            std::uint32_t offset = 0;
            FrxData* frx = Find(object, Prop::List, offset);
            if (!frx) continue;
            Result<std::vector<std::string>> items = ReadList(*frx, offset);
            if (!items) {
                Warn(object, Prop::List, Describe(items.error()));
                continue;
            }
            if (items.value().empty()) continue;
            ListItems list{i, std::move(items.value()), {}};
            if ((frx = Find(object, Prop::ItemData, offset))) {
                Result<std::vector<std::int32_t>> data = ReadItemData(*frx, offset);
                if (data) list.data = std::move(data.value());
                else Warn(object, Prop::ItemData, Describe(data.error()));
            }
            lists.push_back(std::move(list));
        }
        return lists;
    }

private:
    // The .frx that the property refers to, and where in it; null when it has none or it cannot be opened.
    FrxData* Find(const FormObject& object, Prop property, std::uint32_t& offset) {
        const std::optional<std::string_view> value = object.Property(property);
        if (!value) return nullptr;
        const std::optional<FrxDatumReference> reference = ParseFrxDatumReference(*value);
        if (!reference) {
            // Appended piece by piece: "'" + std::string(...) trips GCC 12's false -Wrestrict.
            std::string why = "'";
            why.append(*value).append("' names no place in a .frx file");
            Warn(object, property, why);
            return nullptr;
        }
        offset = reference->offset;
        Result<FrxData*> file = frx_.Data(reference->fileName);
        if (file) return file.value();
        // Told in full once; the source tells the same failure for every later reference.
        if (failed_.insert(LowerAscii(reference->fileName)).second) {
            ConvertError unreadable = file.error();
            if (unreadable.detail.empty()) unreadable.detail = ".frx";  // it holds lists here, not only captions
            Warn(object, property, Describe(unreadable));
        }
        else Warn(object, property, "its file " + reference->fileName + " cannot be read, as told above");
        return nullptr;
    }

    void Warn(const FormObject& object, Prop property, const std::string& why) {
        std::uint32_t line = object.line;
        for (const FormProperty& kept : object.properties)
            if (kept.property == property) line = kept.line;
        warnings_.push_back(Where(formName_, line) + "the " + std::string(PropertyName(property)) + " of " +
                            std::string(object.name) + " is left out of the program: " + why);
    }

    FrxSource& frx_;
    const std::string& formName_;
    std::vector<std::string>& warnings_;
    std::set<std::string> failed_;  // the .frx files told unreadable, by the name in lower case
};

Result<ConversionReport> Convert(const ConversionRequest& request, const Destination& destination) {
    const std::string formName = request.formName.empty() ? Utf8FromPath(request.form) : request.formName;
    FrxFiles besideTheForm(request.form.parent_path(), request.folderListings);
    std::optional<FileIdentity> formIdentity;
    FrxSource& frxSource = request.frx ? *request.frx : besideTheForm;
    Result<Form> read = ReadForm(request, formName, frxSource, formIdentity);
    if (!read) return read.error();
    std::vector<std::string> menuWarnings = CutLongMenuCaptions(read.value(), request, formName);
    const Form& form = read.value();
    const bool formFromFile = !request.formBytes && !request.formStream;

    // The pictures' files go beside the RC file, unless the caller names their folder.
    const std::filesystem::path pictureFolder = !destination.pictures.empty() ? destination.pictures
                                                : destination.text ? std::filesystem::path()
                                                                   : destination.file.parent_path();
    if (request.rc.pictures && destination.text && destination.pictures.empty() && !destination.pictureBytes)
        return FileError(ErrorKind::OutputNameEmpty, {});
    std::vector<std::string> pictureWarnings;
    FormPictures pictures;
    if (request.rc.pictures) {
        // Named after the form's file; a form from elsewhere after its name in the form.
        const std::string stem = !formFromFile || request.form.stem().empty() ? std::string(form.objects[0].name)
                                                                                  : Utf8FromPath(request.form.stem());
        std::set<std::string> ownFiles;
        std::set<std::string>& taken = destination.pictureFiles ? *destination.pictureFiles : ownFiles;
        const ClaimFileName claim = [&](const std::string& fileName) {
            std::error_code error;
            const std::filesystem::path path = pictureFolder / PathFromUtf8(fileName);
            const std::filesystem::path place = std::filesystem::absolute(path, error);
            return taken.insert(LowerAscii(Utf8FromPath((error ? path : place).lexically_normal()))).second;
        };
        pictures = ReadFormPictures(form, frxSource, stem, formName, claim, pictureWarnings);
    }
    const std::vector<FormPicture>* pictureList = request.rc.pictures ? &pictures.pictures : nullptr;

    // A form without a menu may still give a dialog or pictures, but an MDI form never gives a dialog.
    ConversionReport report;
    std::vector<std::string> dialogWarnings;
    std::optional<DialogLayout> dialog;
    if (request.rc.dialog) {
        if (std::optional<std::string> why = WhyNoDialog(form, formName)) dialogWarnings.push_back(std::move(*why));
        else dialog = LayOutDialog(form, formName, dialogWarnings, pictureList);
    }
    if (form.menu.empty() && !dialog && pictures.pictures.empty()) return FileError(ErrorKind::NoMenu, formName);
    TellLostStrings(form, dialog.has_value(), formName, report);

    Result<NameTable> named = NameForm(form, dialog ? &*dialog : nullptr, request.rc, formName, pictureList);
    if (!named) return named.error();
    const NameTable& names = named.value();
    // With context menus, a form whose every top-level menu is hidden and empty leaves nothing to write.
    if (!names.HasMainMenu() && names.contextMenus().empty() && !dialog && pictures.pictures.empty())
        return FileError(ErrorKind::NoMenu, formName);
    TellLeftOutItems(form, names, formName, report.warnings);
    for (std::string& warning : menuWarnings) report.warnings.push_back(std::move(warning));
    if (request.rc.shortcuts) WarnUnknownShortcuts(form, names, formName, report.warnings);
    for (std::string& warning : dialogWarnings) report.warnings.push_back(std::move(warning));
    for (std::string& warning : pictureWarnings) report.warnings.push_back(std::move(warning));

    RcOptions options = request.rc;
    if (NeedsCodePage(request)) {
        const CodePageChoice codePage = FormCodePage(form, request);
        report.codePage = codePage.codePage;
        if (options.codePage == RcOptions::kAutoCodePage) {
            options.codePage = codePage.codePage;
            if (!codePage.warning.empty()) report.warnings.push_back(formName + ": " + codePage.warning);
        }
    }
    const auto writeRc = [&](TextSink& out) {
        WriteResourceScript(form, names, dialog ? &*dialog : nullptr, options, out, pictureList);
    };

    // Every file of the conversion is opened before a word is written, the RC
    // file first, so a target that cannot be written stops everything; they are
    // put in place together once all are written, the RC file first. A failing
    // RC file never leaves a new header beside the old RC file, and an RC text
    // that includes a header is never saved without it.
    // A program needs the dialog (an MDI form has none) and the header's ids.
    const bool program = request.rc.program && !destination.program.empty() && !destination.programHeader.empty();
    if (program && !dialog)
        report.warnings.push_back(formName + ": it has no dialog, so no program is written");
    std::vector<ListItems> lists;
    if (program && dialog) lists = ListReader(frxSource, formName, report.warnings).Read(form);

    // Every file read, which no output may overwrite.
    if (formFromFile) report.filesRead.push_back(request.form);
    std::vector<InputFile> inputs;
    if (formIdentity) inputs.push_back({*formIdentity, {}});
    for (const FrxFolder::ReadFile& frx : besideTheForm.folder().filesRead()) {
        report.filesRead.push_back(frx.path);
        if (frx.identity) inputs.push_back({*frx.identity, Utf8FromPath(frx.path)});
    }

    // A picture may not go where another output of the conversion goes: the one
    // put in place last would take the other's place. Told before anything is written.
    if (!pictures.pictures.empty() && !destination.pictureBytes) {
        std::vector<std::pair<std::string, const std::filesystem::path*>> outputs;
        for (const auto& [target, handedBack] :
             {std::pair{&destination.file, destination.text != nullptr}, {&destination.header, destination.headerText != nullptr},
              {&destination.masm, destination.masmText != nullptr}, {&destination.depfile, false},
              {&destination.program, destination.programText != nullptr || !(program && dialog)}})
            if (!handedBack && !target->empty()) outputs.emplace_back(PlaceOf(*target), target);
        for (const FormPicture& picture : pictures.pictures) {
            const std::filesystem::path target = pictureFolder / PathFromUtf8(picture.fileName);
            const std::string place = PlaceOf(target);
            for (const auto& [otherPlace, other] : outputs) {
                if (otherPlace != place) continue;
                ConvertError clash = LineError(ErrorKind::OutputsShareAFile, formName, picture.line);
                clash.detail = Utf8FromPath(target);
                clash.otherFile = Utf8FromPath(*other);
                return clash;
            }
        }
    }

    std::vector<SafeFile> files;  // the RC file (unless the text is handed back), the header, the MASM file, the depfile, the program, the pictures
    for (const std::filesystem::path* target :
         {&destination.file, &destination.header, &destination.masm, &destination.depfile, &destination.program}) {
        const std::string* handedBack = target == &destination.file     ? destination.text
                                        : target == &destination.header ? destination.headerText
                                        : target == &destination.masm   ? destination.masmText
                                        : target == &destination.program ? destination.programText
                                                                         : nullptr;
        if (handedBack || target->empty()) continue;
        if (target == &destination.program && !(program && dialog)) continue;
        Result<SafeFile> opened = SafeFile::Open(*target, inputs);
        if (!opened) return opened.error();
        files.push_back(std::move(opened.value()));
    }
    const std::size_t firstPicture = files.size();
    for (const FormPicture& picture : pictures.pictures) {
        const std::filesystem::path target = pictureFolder / PathFromUtf8(picture.fileName);
        report.picturesWritten.push_back(target);
        if (destination.pictureBytes) continue;
        // Never in the place of the form or a .frx it comes from (a link, or one file of two names).
        Result<SafeFile> opened = SafeFile::Open(target, inputs);
        if (!opened) return opened.error();
        files.push_back(std::move(opened.value()));
    }
    std::size_t next = 0;
    if (destination.text) {
        StringSink text(*destination.text);
        writeRc(text);
    } else {
        BufferedSink buffered(files[next++]);
        writeRc(buffered);
        buffered.Write("\r\n");
    }
    const std::string formFileName =
        formFromFile ? Utf8FromPath(request.form.filename()) : std::string("standard input");
    bool accelerators = false;
    for (std::size_t i = 0; options.shortcuts && !accelerators && i < form.menu.size(); ++i)
        accelerators = names.Item(i) && FindShortcutKey(form.menu[i].shortcut);
    if (!destination.header.empty()) {
        const auto writeHeader = [&](TextSink& out) {
            WriteCHeader(names, Utf8FromPath(destination.header.filename()), formFileName, options.menuName,
                         accelerators, out, pictureList);
        };
        if (destination.headerText) {
            StringSink text(*destination.headerText);
            writeHeader(text);
        } else {
            BufferedSink buffered(files[next++]);
            writeHeader(buffered);
        }
    }
    if (!destination.masm.empty()) {
        if (destination.masmText) {
            StringSink text(*destination.masmText);
            WriteMasmNumbers(names, formFileName, text);
        } else {
            BufferedSink buffered(files[next++]);
            WriteMasmNumbers(names, formFileName, buffered);
        }
    }
    if (!destination.depfile.empty()) {
        std::vector<std::filesystem::path> targets;
        for (const std::filesystem::path* target : {&destination.file, &destination.header, &destination.masm, &destination.program})
            if (!target->empty() && (target != &destination.file || !destination.text) &&
                (target != &destination.program || (program && dialog)))
                targets.push_back(*target);
        targets.insert(targets.end(), report.picturesWritten.begin(), report.picturesWritten.end());
        BufferedSink buffered(files[next++]);
        if (!WriteDependencies(targets, report.filesRead, buffered))
            return FileError(ErrorKind::OutputUnwritable, Utf8FromPath(destination.depfile),
                             std::make_error_code(std::errc::invalid_argument));
    }
    if (program && dialog) {
        const FormCode code = ScanFormCode(form.code, form.codeLine, formName);
        for (const std::string& warning : code.warnings) report.warnings.push_back(warning);
        ProgramInput input;
        input.formFileName = formFileName;
        input.headerInclude = destination.programHeader;
        input.rcFileName = Utf8FromPath(destination.file.empty() ? PathFromUtf8(formFileName).replace_extension("rc").filename()
                                                                 : destination.file.filename());
        input.programFileName = Utf8FromPath(destination.program.filename());
        // The RC text's own code page where it names one, so that both read the bytes alike.
        input.codePage = options.codePage != 0 ? options.codePage : report.codePage;
        input.accelerators = accelerators;
        input.lists = std::move(lists);
        input.code = &code;
        input.pictures = pictureList;
        if (destination.programText) {
            StringSink text(*destination.programText);
            WriteProgram(form, names, *dialog, options, input, text);
        } else {
            BufferedSink buffered(files[next++]);
            WriteProgram(form, names, *dialog, options, input, buffered);
        }
    }
    for (std::size_t i = 0; i < pictures.pictures.size(); ++i) {
        if (destination.pictureBytes) destination.pictureBytes->push_back(std::move(pictures.pictures[i].file.bytes));
        else files[firstPicture + i].Write(pictures.pictures[i].file.bytes);
    }
    if (files.empty()) return report;
    if (destination.batch) {
        destination.batch->Add(std::move(files));
        return report;
    }
    SaveBatch alone;
    alone.Add(std::move(files));
    if (Status saved = alone.Commit().front(); !saved) return saved.error();
    return report;
}

}  // namespace

Result<ConversionReport> ConvertForm(const ConversionRequest& request, const Destination& destination) {
    // A refused allocation or a failed file-system call deep inside becomes an
    // error like any other; anything else thrown would be a fault of the
    // program, and goes to the caller's last guard.
    try {
        return Convert(request, destination);
    } catch (const std::bad_alloc&) {
        return FileError(ErrorKind::OutOfMemory, request.formName.empty() ? Utf8FromPath(request.form) : request.formName);
    } catch (const std::length_error&) {
        return FileError(ErrorKind::OutOfMemory, request.formName.empty() ? Utf8FromPath(request.form) : request.formName);
    } catch (const std::filesystem::filesystem_error& failure) {
        return FileError(ErrorKind::FormUnreadable, Utf8FromPath(failure.path1().empty() ? request.form : failure.path1()),
                         failure.code());
    }
}

Result<std::string> ConvertFormToText(const ConversionRequest& request) {
    std::string text;
    Destination destination;
    destination.text = &text;
    const Result<ConversionReport> converted = ConvertForm(request, destination);
    if (!converted) return converted.error();
    return text;
}

}  // namespace tarvel
