#include "form_code.h"

#include "form.h"
#include "form_reader.h"

namespace tarvel {
namespace {

constexpr bool IsWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Takes the ASCII word at the front of `text` and the blanks after it.
std::string_view TakeWord(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && IsWordByte(text[end])) ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    text = TrimBlanks(text);
    return word;
}

bool IsWord(std::string_view word, std::string_view lower) {
    return word.size() == lower.size() && StartsWithNoCase(word, lower);
}

// One logical line of code: a physical line and the ones " _" continues it onto.
struct LogicalLine {
    std::size_t begin = 0;  // where its first physical line starts
    std::size_t end = 0;    // where its last one's line end is
    std::size_t next = 0;   // where the line after it starts
    std::uint32_t line = 0;
    std::uint32_t lastLine = 0;
    std::string text;       // trimmed, continuations joined by a space
};

class LogicalLines {
public:
    LogicalLines(std::string_view code, std::uint32_t firstLine)
        : code_(code), lines_(FormReader::FromBytes(code, {})), line_(firstLine) {}

    bool Next(LogicalLine& out) {
        std::optional<std::string_view> raw = lines_.NextLine();
        if (!raw) return false;
        out.begin = Offset(*raw);
        out.line = line_;
        out.text.clear();
        for (;;) {
            std::string_view piece = TrimBlanks(*raw);
            out.end = Offset(*raw) + raw->size();
            out.lastLine = line_++;
            // VB continues a line that ends in a blank and an underscore, a comment too.
            const bool continued = piece.size() >= 2 && piece.back() == '_' && IsBlank(piece[piece.size() - 2]);
            if (continued) piece = TrimBlanks(piece.substr(0, piece.size() - 1));
            if (!out.text.empty() && !piece.empty()) out.text += ' ';
            out.text += piece;
            if (!continued || !(raw = lines_.NextLine())) break;
        }
        out.next = After(out.end);
        return true;
    }

private:
    std::size_t Offset(std::string_view line) const { return static_cast<std::size_t>(line.data() - code_.data()); }
    // Where the line after the line end at `end` begins.
    std::size_t After(std::size_t end) const {
        if (end >= code_.size()) return code_.size();
        return end + (code_[end] == '\r' && end + 1 < code_.size() && code_[end + 1] == '\n' ? 2 : 1);
    }

    std::string_view code_;
    FormReader lines_;
    std::uint32_t line_;
};

struct ParsedHeader {
    ProcedureKind kind = ProcedureKind::Sub;
    std::string access;
    bool isStatic = false;
    ProcedureHeader header;
};

// The parentheses' inside from `text`, which starts at "(": nested ones and
// quoted strings (Optional s As String = ")") included.
std::string_view Parenthesised(std::string_view text) {
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) return text.substr(1, i - 1);
    }
    return text.substr(1);
}

std::optional<ParsedHeader> ParseHeader(std::string_view text, std::uint32_t line) {
    ParsedHeader parsed;
    std::string_view word = TakeWord(text);
    if (IsWord(word, "public") || IsWord(word, "private") || IsWord(word, "friend")) {
        parsed.access = std::string(word);
        word = TakeWord(text);
    }
    if (IsWord(word, "static")) {
        parsed.isStatic = true;
        word = TakeWord(text);
    }
    if (IsWord(word, "sub")) {
        parsed.kind = ProcedureKind::Sub;
    } else if (IsWord(word, "function")) {
        parsed.kind = ProcedureKind::Function;
    } else if (IsWord(word, "property")) {
        const std::string_view which = TakeWord(text);
        if (IsWord(which, "get")) parsed.kind = ProcedureKind::PropertyGet;
        else if (IsWord(which, "let")) parsed.kind = ProcedureKind::PropertyLet;
        else if (IsWord(which, "set")) parsed.kind = ProcedureKind::PropertySet;
        else return std::nullopt;
    } else {
        return std::nullopt;
    }
    // The keyword must stand alone ("Sub_Total = 1" is no header), and a name must follow.
    if (text.empty() || text.data() == word.data() + word.size()) return std::nullopt;
    // A name is any bytes but blanks and "(": VB takes letters of the form's code page in names.
    std::size_t nameEnd = 0;
    while (nameEnd < text.size() && !IsBlank(text[nameEnd]) && text[nameEnd] != '(' && text[nameEnd] != '\'')
        ++nameEnd;
    if (nameEnd == 0) return std::nullopt;
    parsed.header.name = std::string(text.substr(0, nameEnd));
    text = TrimBlanks(text.substr(nameEnd));
    if (!text.empty() && text.front() == '(') parsed.header.parameters = std::string(TrimBlanks(Parenthesised(text)));
    parsed.header.line = line;
    return parsed;
}

// "End Sub", "End Function", "End Property" (after a line number, if any), followed by nothing, a comment or ":".
std::optional<ProcedureKind> ParseEnd(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits > 0 && digits < text.size() && IsBlank(text[digits])) text = TrimBlanks(text.substr(digits));
    if (!IsWord(TakeWord(text), "end")) return std::nullopt;
    const std::string_view which = TakeWord(text);
    if (!text.empty() && text.front() != '\'' && text.front() != ':') return std::nullopt;
    if (IsWord(which, "sub")) return ProcedureKind::Sub;
    if (IsWord(which, "function")) return ProcedureKind::Function;
    if (IsWord(which, "property")) return ProcedureKind::PropertyGet;  // Get, Let and Set all end so
    return std::nullopt;
}

bool SameEnd(ProcedureKind open, ProcedureKind end) {
    const auto family = [](ProcedureKind kind) {
        return kind == ProcedureKind::PropertyLet || kind == ProcedureKind::PropertySet ? ProcedureKind::PropertyGet
                                                                                       : kind;
    };
    return family(open) == family(end);
}

std::string_view EndWord(ProcedureKind kind) {
    switch (kind) {
        case ProcedureKind::Sub: return "Sub";
        case ProcedureKind::Function: return "Function";
        default: return "Property";
    }
}

// The #If blocks open where a line stands: each block's serial number and
// which of its branches (#If, #ElseIf..., #Else) the line is in.
struct Branch {
    std::uint32_t block = 0;
    std::uint32_t branch = 0;
};

class Conditions {
public:
    // Takes a directive line; false when the line is none.
    bool Take(std::string_view text) {
        if (text.empty() || text.front() != '#') return false;
        text.remove_prefix(1);
        const std::string_view word = TakeWord(text);
        if (IsWord(word, "if")) {
            open_.push_back({++blocks_, 0});
        } else if ((IsWord(word, "elseif") || IsWord(word, "else")) && !open_.empty()) {
            ++open_.back().branch;
        } else if ((IsWord(word, "endif") || (IsWord(word, "end") && IsWord(TakeWord(text), "if"))) && !open_.empty()) {
            open_.pop_back();
        }
        return true;
    }

    std::optional<Branch> Innermost() const {
        if (open_.empty()) return std::nullopt;
        return open_.back();
    }

private:
    std::vector<Branch> open_;
    std::uint32_t blocks_ = 0;
};

}  // namespace

CodeStart FindFormCode(std::string_view form) {
    FormReader lines = FormReader::FromBytes(form, {});
    std::size_t depth = 0;
    bool defined = false;
    while (const std::optional<std::string_view> raw = lines.NextLine()) {
        const std::string_view trimmed = TrimBlanks(*raw);
        if (defined && depth == 0) {
            if (!StartsWithWord(trimmed, "attribute"))
                return {static_cast<std::size_t>(raw->data() - form.data()), lines.line()};
            continue;
        }
        switch (BlockWordOf(trimmed)) {
            case BlockWord::Begin:
            case BlockWord::BeginProperty: ++depth; defined = true; break;
            case BlockWord::End: if (depth > 0) --depth; break;
            case BlockWord::None: break;
        }
    }
    return {form.size(), lines.line() + 1};
}

std::string_view ProcedureKindName(ProcedureKind kind) {
    switch (kind) {
        case ProcedureKind::Sub: return "Sub";
        case ProcedureKind::Function: return "Function";
        case ProcedureKind::PropertyGet: return "Property Get";
        case ProcedureKind::PropertyLet: return "Property Let";
        case ProcedureKind::PropertySet: return "Property Set";
    }
    return "Sub";
}

FormCode ScanFormCode(std::string_view code, std::uint32_t firstLine, const std::string& formFile) {
    FormCode scanned;
    auto warn = [&](std::uint32_t line, const std::string& what) {
        scanned.warnings.push_back(formFile + ":" + std::to_string(line) + ": " + what);
    };
    // Appended piece by piece: "'" + std::string(...) trips GCC 12's false -Wrestrict.
    auto named = [](const Procedure& procedure) {
        std::string text = "'";
        text += ProcedureKindName(procedure.kind);
        text += ' ';
        text += procedure.header.name;
        text += '\'';
        return text;
    };

    std::optional<Procedure> open;
    std::optional<Branch> openBranch;  // the #If branch its header stood in
    std::size_t openBegin = 0, bodyBegin = 0;
    auto close = [&](std::size_t bodyEnd, std::size_t textEnd, std::uint32_t endLine) {
        open->body = std::string(code.substr(bodyBegin, bodyEnd - bodyBegin));
        open->text = std::string(code.substr(openBegin, textEnd - openBegin));
        open->endLine = endLine;
        scanned.procedures.push_back(std::move(*open));
        open.reset();
    };

    Conditions conditions;
    LogicalLines lines(code, firstLine);
    LogicalLine line;
    std::uint32_t lastLine = firstLine;
    std::size_t lastEnd = 0;
    while (lines.Next(line)) {
        lastLine = line.lastLine;
        lastEnd = line.end;
        if (conditions.Take(line.text)) continue;
        if (std::optional<ParsedHeader> header = ParseHeader(line.text, line.line)) {
            if (open) {
                const std::optional<Branch> here = conditions.Innermost();
                if (openBranch && here && here->block == openBranch->block && here->branch != openBranch->branch) {
                    open->alternatives.push_back(std::move(header->header));
                    continue;
                }
                warn(line.line, named(*open) + " (line " + std::to_string(open->header.line) + ") has no 'End " +
                                    std::string(EndWord(open->kind)) + "' before this next procedure");
                close(line.begin, line.begin, line.line - 1);
            }
            open.emplace();
            open->kind = header->kind;
            open->access = std::move(header->access);
            open->isStatic = header->isStatic;
            open->header = std::move(header->header);
            openBranch = conditions.Innermost();
            openBegin = line.begin;
            bodyBegin = line.next;
            continue;
        }
        if (const std::optional<ProcedureKind> end = ParseEnd(line.text)) {
            if (!open) {
                warn(line.line, "'End " + std::string(EndWord(*end)) + "' without a procedure to end");
                continue;
            }
            if (!SameEnd(open->kind, *end))
                warn(line.line, "'End " + std::string(EndWord(*end)) + "' ends " + named(*open) + " (line " +
                                    std::to_string(open->header.line) + ")");
            close(line.begin, line.end, line.lastLine);
        }
    }
    if (open) {
        warn(open->header.line, named(*open) + " has no 'End " + std::string(EndWord(open->kind)) + "'");
        close(code.size(), lastEnd, lastLine);
    }
    return scanned;
}

std::vector<Parameter> SplitParameters(std::string_view parameters) {
    std::vector<Parameter> split;
    std::size_t from = 0;
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= parameters.size(); ++i) {
        const char c = i < parameters.size() ? parameters[i] : ',';
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c != ',' || depth > 0) continue;
        std::string_view text = TrimBlanks(parameters.substr(from, i - from));
        from = i + 1;
        if (text.empty()) continue;
        Parameter parameter;
        std::string_view word;
        for (;;) {
            std::string_view rest = text;
            word = TakeWord(rest);
            if (!(IsWord(word, "optional") || IsWord(word, "byval") || IsWord(word, "byref") ||
                  IsWord(word, "paramarray")) || rest.empty())
                break;
            text = rest;
        }
        std::size_t nameEnd = 0;
        while (nameEnd < text.size() && !IsBlank(text[nameEnd]) && text[nameEnd] != '(' && text[nameEnd] != '=') ++nameEnd;
        parameter.name = std::string(text.substr(0, nameEnd));
        text.remove_prefix(nameEnd);
        if (!text.empty() && text.front() == '(') text = text.substr(std::min(text.size(), text.find(')') + 1));
        text = TrimBlanks(text);
        if (IsWord(TakeWord(text), "as")) parameter.type = std::string(TrimBlanks(text.substr(0, text.find('='))));
        split.push_back(std::move(parameter));
    }
    return split;
}

std::vector<NamedControl> NamedControlsOf(const Form& form) {
    std::vector<NamedControl> named;
    for (std::size_t i = 1; i < form.objects.size(); ++i)
        named.push_back({std::string(form.objects[i].name), form.objects[i].Property(Prop::Index).has_value()});
    for (std::size_t i = 0; i < form.menu.size(); ++i)
        named.push_back({std::string(form.menu[i].name), !form.menu[i].index.empty()});
    return named;
}

ControlNames::ControlNames(std::span<const NamedControl> controls) {
    for (const NamedControl& control : controls) byLowerName_.emplace(LowerAscii(control.name), &control);
}

const NamedControl* ControlNames::Find(std::string_view name) const {
    const auto found = byLowerName_.find(LowerAscii(name));
    return found == byLowerName_.end() ? nullptr : found->second;
}

std::optional<EventHandler> ParseEventHandler(const Procedure& procedure, const ControlNames& names) {
    if (procedure.kind != ProcedureKind::Sub) return std::nullopt;
    const std::string_view name = procedure.header.name;
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos || underscore == 0 || underscore + 1 == name.size()) return std::nullopt;
    const std::string_view object = name.substr(0, underscore);
    const std::string_view event = name.substr(underscore + 1);
    for (char c : event) {
        if (!IsWordByte(c)) return std::nullopt;
    }
    EventHandler handler;
    handler.event = std::string(event);
    if (IsWord(object, "form") || IsWord(object, "mdiform")) {
        handler.object = std::string(object);
        handler.ofForm = true;
        return handler;
    }
    const NamedControl* control = names.Find(object);
    if (!control) return std::nullopt;
    handler.object = control->name;
    // Another control's event may take a parameter called Index of its own (a toolbar's ButtonClick).
    if (control->isArray) {
        const std::vector<Parameter> parameters = SplitParameters(procedure.header.parameters);
        if (parameters.empty() || !IsWord(parameters.front().name, "index")) return std::nullopt;
        handler.indexed = true;
    }
    return handler;
}

}  // namespace tarvel
