#include "form_parser.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

#include "ascii.h"
#include "frx_data.h"
#include "utf8.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvel {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view lowerSuffix) {
    return text.size() >= lowerSuffix.size() && EqualNoCase(text.substr(text.size() - lowerSuffix.size()), lowerSuffix);
}

bool IsFormType(std::string_view type) {
    return EqualNoCase(type, "vb.form") || EqualNoCase(type, "vb.mdiform") || EqualNoCase(type, "form") ||
           EqualNoCase(type, "mdiform");
}

// "Name = Value": the name and the value, trimmed; a line without "=" is all name.
std::pair<std::string_view, std::string_view> SplitProperty(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {TrimBlanks(line), {}};
    return {TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

// How many bytes of `text` come before its first blank (or "=", with
// `equalsEnds`). Eight bytes are looked at a time: the lowest that is one of
// them ends the word.
std::size_t WordLength(std::string_view text, bool equalsEnds) {
    std::size_t length = 0;
#if defined(__SSE2__)
    // A property's name is padded with blanks to sixteen bytes: mostly one look settles it.
    if (text.size() >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data()));
        __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
        if (equalsEnds) ends = _mm_or_si128(ends, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('=')));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends))) return static_cast<std::size_t>(std::countr_zero(mask));
        length = 16;
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
        const auto zeroBytes = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; };
        for (; text.size() - length >= 8; length += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + length, 8);
            const std::uint64_t ends = zeroBytes(word ^ (kOnes * ' ')) | zeroBytes(word ^ (kOnes * '\t')) |
                                       (equalsEnds ? zeroBytes(word ^ (kOnes * '=')) : 0);
            if (ends) return length + static_cast<std::size_t>(std::countr_zero(ends)) / 8;
        }
    }
    while (length < text.size() && !IsBlank(text[length]) && !(equalsEnds && text[length] == '=')) ++length;
    return length;
}

// The next word of `text`, after blanks, up to a blank or its end; `text` goes on after it.
std::string_view TakeWord(std::string_view& text) {
    const std::size_t begin = LeadingBlanks(text);
    const std::size_t end = begin + WordLength(text.substr(begin), false);
    const std::string_view word = text.substr(begin, end - begin);
    text.remove_prefix(end);
    return word;
}

// Is every byte of `bytes` below 0x80? Eight are looked at a time.
bool IsAscii(std::string_view bytes) {
    std::size_t i = 0;
    for (; bytes.size() - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080u) return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
    return true;
}

// "Name = Value" with a name of one word, as a menu item's properties have:
// the name and the value, trimmed, in one pass; a line without "=" is all
// name. Nothing when more than blanks lie between the name and the "=".
struct NamedValue {
    std::string_view name, value;
    bool equals = false;  // the line has its "="
};
std::optional<NamedValue> SplitNamedProperty(std::string_view line) {
    const std::size_t nameEnd = WordLength(line, true);
    const std::size_t equals = nameEnd + LeadingBlanks(line.substr(nameEnd));
    if (equals == line.size()) return NamedValue{line.substr(0, nameEnd), {}, false};
    if (line[equals] != '=') return std::nullopt;
    return NamedValue{line.substr(0, nameEnd), TrimBlanks(line.substr(equals + 1)), true};
}

// A value that is not a string, without the comment that may follow it: "-1  'True" gives "-1".
std::string_view WithoutComment(std::string_view value) { return TrimBlanks(value.substr(0, value.find('\''))); }

// Visual Basic writes True as -1 and False as 0; only a 0 turns a flag off.
bool FlagValue(std::string_view value) { return value.empty() || value.front() != '0'; }

// "Form1.frx":0A3C: a reference to data in the .frx file (a $ before it would make it a string).
bool IsDataReference(std::string_view value) {
    const std::size_t close = value.find('"', 1);
    return value.front() == '"' && close != std::string_view::npos && close + 1 < value.size() && value[close + 1] == ':';
}

// Only these properties hold text that the form may keep in its .frx file.
bool IsTextProperty(std::string_view name) { return name == "Caption" || name == "Text"; }

class FormBuilder {
public:
    FormBuilder(FrxSource& frx, Form& form, const FormReading& reading)
        : frx_(frx), form_(form), keepControls_(reading.controls), noteCodePage_(reading.codePage),
          keepControlFonts_(reading.controlFonts), keepTabStripTabs_(reading.tabStripTabs) {}

    /// The blocks being passed over whole, for the reader to pass over; null when none is.
    std::size_t* BlocksPassedOver() { return skipDepth_ > 0 ? &skipDepth_ : nullptr; }
    /// Would a block that begins after those (of any type but VB.Menu) be passed over whole too? So
    /// it is in a menu item, and in the form when its controls are neither kept nor looked at.
    bool PassesOverSiblings() const {
        if (inFont_ || inImages_ || tabStripDepth_ > 0) return false;
        const Open& parent = open_.back();
        return parent.kind == Kind::Item || (parent.kind == Kind::Object && !keepControls_ && !noteCodePage_);
    }

    /// The form's Begin line.
    void BeginForm(std::string_view type, std::string_view name, std::uint32_t line) { BeginObject(type, name, line, true); }

    /// Takes one trimmed line; false once the form's own End has come.
    bool Line(std::string_view line, std::uint32_t number) {
        switch (BlockWordOf(line)) {
            case BlockWord::BeginProperty:
                line.remove_prefix(std::string_view("BeginProperty").size());
                BeginPropertyBlock(TakeWord(line));
                return true;
            case BlockWord::Begin:
                line.remove_prefix(std::string_view("Begin").size());
                Begin(line, number);
                return true;
            case BlockWord::End:
                if (skipDepth_ > 0) --skipDepth_;
                else if (inListImage_) inListImage_ = false;
                else if (inImages_) inImages_ = false;
                else if (inFont_) inFont_ = false;
                else if (tabStripDepth_ > 0) --tabStripDepth_;
                else Close();
                return !open_.empty();
            case BlockWord::None:
                break;
        }
        if (skipDepth_ == 0) Property(line, number);
        return true;
    }

    void Finish() {
        while (!open_.empty()) Close();
    }

private:
    enum class Kind : std::uint8_t { Object, UnkeptObject, Item };
    struct Open {
        Kind kind;
        bool propertiesOpen = false;  // an item whose first child has not begun yet
        bool beyondAscii = false;     // an object whose text (for the form: its menus' too) goes beyond ASCII
        std::int16_t charset = -1;    // an object's font's character set
        std::uint32_t index = 0;      // in Form::objects or Form::menu
    };

    void BeginPropertyBlock(std::string_view block) {
        // An ImageList keeps its pictures in "BeginProperty Images", each in a "BeginProperty ListImageN" of its
        // own; a StatusBar its panels' in "BeginProperty Panels", each in a "BeginProperty PanelN".
        if (skipDepth_ == 0 && !inFont_ && open_.back().kind == Kind::Object) {
            if (!inImages_ && (EqualNoCase(block, "images") || EqualNoCase(block, "panels"))) {
                inImages_ = true;
                listProperty_ = EqualNoCase(block, "images") ? Prop::ListImage : Prop::PanelPicture;
                return;
            }
            if (inImages_ && !inListImage_) {
                if (const std::optional<std::uint16_t> number =
                        NumberAfter(block, listProperty_ == Prop::ListImage ? "listimage" : "panel")) {
                    inListImage_ = true;
                    listImage_ = *number;
                    return;
                }
            }
        }
        const bool font = EqualNoCase(block, "font");
        if (skipDepth_ == 0 && !inFont_ && keepTabStripTabs_ && open_.back().kind == Kind::Object &&
            EndsWithNoCase(form_.objects[open_.back().index].type, ".tabstrip") && TabStripBlock(block))
            return;
        if (skipDepth_ > 0 || inFont_ || inImages_ || tabStripDepth_ > 0 || !font || open_.back().kind == Kind::Item) ++skipDepth_;
        else inFont_ = true;
    }

    // A TabStrip's "BeginProperty Tabs" and, inside it, "BeginProperty TabN":
    // their Captions are kept as the tabs' (TabCaption, tab N - 1). False for any other block.
    bool TabStripBlock(std::string_view block) {
        if (tabStripDepth_ == 0 && EqualNoCase(block, "tabs")) {
            tabStripDepth_ = 1;
            return true;
        }
        if (tabStripDepth_ != 1 || block.size() < 4 || !StartsWithNoCase(block, "tab")) return false;
        std::uint16_t tab = 0;
        const auto [end, error] = std::from_chars(block.data() + 3, block.data() + block.size(), tab);
        if (error != std::errc() || end != block.data() + block.size() || tab == 0) return false;
        tabStripDepth_ = 2;
        tabStripTab_ = static_cast<std::uint16_t>(tab - 1);
        return true;
    }

    // N of "ListImageN" or "PanelN" (`lowerPrefix` in lower case), which fits 16 bits.
    static std::optional<std::uint16_t> NumberAfter(std::string_view block, std::string_view lowerPrefix) {
        if (block.size() <= lowerPrefix.size() || !StartsWithNoCase(block, lowerPrefix)) return std::nullopt;
        std::uint16_t number = 0;
        const auto [end, error] = std::from_chars(block.data() + lowerPrefix.size(), block.data() + block.size(), number);
        if (error != std::errc() || end != block.data() + block.size()) return std::nullopt;
        return number;
    }

    void Begin(std::string_view typeAndName, std::uint32_t line) {
        // Nothing lies inside a property block.
        if (skipDepth_ > 0 || inFont_ || inImages_ || tabStripDepth_ > 0) {
            ++skipDepth_;
            return;
        }
        const std::string_view type = TakeWord(typeAndName);
        const Open& parent = open_.back();
        if (EqualNoCase(type, "vb.menu")) {
            // Menus belong to the form and to other menu items; one inside a control is none of them.
            if (parent.kind == Kind::Item || (parent.kind == Kind::Object && parent.index == 0)) BeginItem(TakeWord(typeAndName), line);
            else ++skipDepth_;
        } else if (parent.kind == Kind::Item) {
            ++skipDepth_;
        } else {
            const bool keep = keepControls_ && parent.kind == Kind::Object;
            BeginObject(type, keep ? TakeWord(typeAndName) : std::string_view(), line, keep);
        }
    }

    void BeginObject(std::string_view type, std::string_view name, std::uint32_t line, bool keep) {
        if (!keep) {
            // A control not kept counts only for what its text and fonts say of the code page.
            if (noteCodePage_) open_.push_back({Kind::UnkeptObject});
            else ++skipDepth_;
            return;
        }
        FormObject object;
        object.type = form_.text.Keep(type);
        object.name = form_.text.Keep(name);
        object.line = line;
        if (!open_.empty()) object.parent = open_.back().index;
        open_.push_back({Kind::Object, false, false, -1, static_cast<std::uint32_t>(form_.objects.size())});
        form_.objects.push_back(std::move(object));
    }

    void BeginItem(std::string_view name, std::uint32_t line) {
        // The parent's properties ended where its first child began.
        open_.back().propertiesOpen = false;
        MenuItem item;
        item.name = form_.text.Keep(name);
        item.line = line;
        open_.push_back({Kind::Item, true, false, -1, static_cast<std::uint32_t>(form_.menu.size())});
        form_.menu.push_back(item);
    }

    void Close() {
        const Open closed = open_.back();
        open_.pop_back();
        if (closed.charset >= 0) {
            ++form_.facts.charsets[static_cast<std::size_t>(closed.charset)];
            if (closed.beyondAscii) ++form_.facts.textCharsets[static_cast<std::size_t>(closed.charset)];
        }
        if (closed.kind == Kind::Object) {
            if (closed.index == pendingOwner_) FlushProperties();
            form_.objects[closed.index].end = static_cast<std::uint32_t>(form_.objects.size());
        }
        else if (closed.kind == Kind::Item) form_.menu[closed.index].end = static_cast<std::uint32_t>(form_.menu.size());
    }

    void Property(std::string_view line, std::uint32_t number) {
        Open& owner = open_.back();
        if (owner.kind == Kind::Item) {
            if (owner.propertiesOpen) ItemProperty(form_.menu[owner.index], owner.index, line, number);
        } else if (inFont_) {
            FontProperty(owner, line, number);
        } else if (tabStripDepth_ > 0) {
            const auto [name, value] = SplitProperty(line);
            if (tabStripDepth_ == 2 && name == "Caption")
                KeepProperty(owner.index, {Prop::TabCaption, tabStripTab_}, true, value, number);
        } else if (inImages_) {
            if (!inListImage_) return;
            const auto [name, value] = SplitProperty(line);
            if (name == "Picture") KeepProperty(owner.index, {listProperty_, listImage_}, false, value, number);
        } else if (owner.kind == Kind::Object) {
            ObjectProperty(owner.index, line, number);
        } else if (!line.empty() && (line.front() == 'C' || line.front() == 'T')) {
            // A control that is not kept still tells what its text is written in.
            const auto [name, value] = SplitProperty(line);
            if (IsTextProperty(name) && !value.empty() && value.front() == '"') NoteText(value);
        }
    }

    void ItemProperty(MenuItem& item, std::uint32_t index, std::string_view line, std::uint32_t number) {
        // Only these properties matter; their first letters rule out the rest.
        switch (line.empty() ? '\0' : line.front()) {
            case 'C': case 'E': case 'I': case 'V': case 'S': break;
            default: return;
        }
        const std::optional<NamedValue> property = SplitNamedProperty(line);
        if (!property) return;
        const auto [name, value, equals] = *property;
        if (name == "Caption") {
            item.caption = KeepString(value, true, true, index, Prop::Caption, number);
        } else if (name == "Enabled") {
            item.enabled = FlagValue(value);
        } else if (name == "Checked") {
            item.checked = FlagValue(value);
        } else if (name == "Visible") {
            item.visible = FlagValue(value);
        } else if (name == "Shortcut") {
            item.shortcut = form_.text.Keep(value);
        } else if (name == "Index") {
            std::size_t digits = 0;
            while (digits < value.size() && IsAsciiDigit(value[digits])) ++digits;
            item.index = form_.text.Keep(value.substr(0, digits));
        }
    }

    void FontProperty(Open& owner, std::string_view line, std::uint32_t number) {
        // Of a control's font the character set counts, and its size: whether its caption wraps.
        const bool formsOwn = owner.kind == Kind::Object && owner.index == 0;
        if (!formsOwn && !keepControlFonts_ && !line.starts_with("Charset") && !line.starts_with("Size")) return;
        const auto [name, value] = SplitProperty(line);
        if (name == "Charset") {
            const std::string_view digits = WithoutComment(value);
            unsigned charset = 0;
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), charset);
            if (error == std::errc() && end == digits.data() + digits.size() && charset < 256) {
                owner.charset = static_cast<std::int16_t>(charset);
                if (owner.kind == Kind::Object && owner.index == 0) form_.facts.formCharset = static_cast<int>(charset);
            }
        }
        // The form's own font is the dialog's FONT; of a control's, its size tells whether its caption wraps,
        // and a program sets the controls' own.
        if (owner.kind != Kind::Object) return;
        const std::optional<KeptName> kept = KeptProperty(name, true);
        if (kept && (formsOwn || keepControlFonts_ || kept->property == Prop::FontBlockSize))
            KeepProperty(owner.index, *kept, false, value, number);
    }

    void ObjectProperty(std::uint32_t index, std::string_view line, std::uint32_t number) {
        // Most properties are not kept: the name tells, before the value is looked at. Every kept
        // name is one word, so a line whose first word is not all that comes before its "=" keeps nothing.
        const std::size_t nameEnd = WordLength(line, true);
        const std::size_t equals = nameEnd + LeadingBlanks(line.substr(nameEnd));
        if (equals == line.size() || line[equals] != '=') return;
        const std::string_view name = line.substr(0, nameEnd);
        if (const std::optional<KeptName> kept = KeptProperty(name, false))
            KeepProperty(index, *kept, IsTextProperty(name), TrimBlanks(line.substr(equals + 1)), number);
    }

    // `text`: a Caption or Text, which may be kept in the .frx file and tells the form's code page.
    void KeepProperty(std::uint32_t index, KeptName kept, bool text, std::string_view value, std::uint32_t number) {
        std::string_view bytes;
        const bool string = !value.empty() && (value.front() == '"' || (value.front() == '$' && text));
        if (string && IsDataReference(value)) {
            if (text) {
                // A multi-line Text, kept in the .frx with its line breaks.
                bytes = KeepFrxText(value, index, kept.property, number);
            } else if (IsPictureProperty(kept.property)) {
                // Read from the .frx only when the pictures are written.
                bytes = form_.text.Keep(value);
            } else {
                // A List or ItemData: the reference, for the reader of the .frx.
                bytes = form_.text.Keep(WithoutComment(value));
            }
        } else if (string) {
            bytes = KeepString(value, text, false, index, kept.property, number);
        } else {
            bytes = form_.text.Keep(WithoutComment(value));
        }
        if (index != pendingOwner_) {
            FlushProperties();
            pendingOwner_ = index;
        }
        pending_.push_back({bytes, number, kept.property, kept.tab});
    }

    // Moves the properties gathered for an object to it, in a vector of their size.
    void FlushProperties() {
        if (pending_.empty()) return;
        std::vector<FormProperty>& properties = form_.objects[pendingOwner_].properties;
        if (properties.empty()) properties.reserve(pending_.size());
        properties.insert(properties.end(), pending_.begin(), pending_.end());
        pending_.clear();
    }

    // A Text that the form keeps in a .frx file as data ("Form1.frx":0123),
    // read from there; one that cannot be read is left empty and told.
    std::string_view KeepFrxText(std::string_view value, std::uint32_t node, Prop property, std::uint32_t line) {
        const std::optional<FrxDatumReference> reference = ParseFrxDatumReference(WithoutComment(value));
        std::optional<ConvertError> failure;
        if (reference) {
            Result<FrxData*> frx = frx_.Data(reference->fileName);
            Result<std::string> stored = frx ? ReadText(*frx.value(), reference->offset) : Result<std::string>(frx.error());
            if (stored) {
                NoteText(stored.value());
                return form_.text.Keep(stored.value());
            }
            failure = stored.error();
            if (failure->kind == ErrorKind::FrxUnreadable && failure->detail.empty()) failure->detail = ".frx";
        }
        UnreadableString lost{false, node, property, line, failure, std::string(value)};
        form_.unreadable.push_back(std::move(lost));
        return {};
    }

    // A string property's bytes, kept: read from the .frx file when the value
    // refers to one, else the text between the quotes with doubled quotes
    // undone (a lone quote, written by hand, stands for itself).
    std::string_view KeepString(std::string_view value, bool text, bool inMenu, std::uint32_t node, Prop property,
                                std::uint32_t line) {
        if (const std::optional<FrxReference> reference =
                value.starts_with('$') ? ParseFrxReference(value) : std::nullopt) {
            Result<std::string> stored = frx_.Caption(*reference);
            if (!stored && stored.error().kind == ErrorKind::FrxEntryTooLong) {
                if (!failure_) {
                    failure_ = stored.error();
                    failure_->line = line;
                }
                return {};
            }
            if (!stored) {
                form_.unreadable.push_back({inMenu, node, property, line, stored.error(), {}});
                return {};
            }
            if (text) NoteText(stored.value());
            return form_.text.Keep(stored.value());
        }
        // Only a .frx reference begins with $: a damaged one is no caption either.
        if (!value.empty() && value.front() == '$') {
            // A damaged line may be long: enough of it to be found.
            const std::string_view shown = value.substr(0, 40);
            UnreadableString lost{inMenu, node, property, line, std::nullopt, std::string(shown), true};
            if (shown.size() < value.size()) lost.dataReference += "...";
            form_.unreadable.push_back(std::move(lost));
            return {};
        }
        if (text) NoteText(value);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.find('"') == std::string_view::npos) return form_.text.Keep(value);
        scratch_.clear();
        for (std::size_t i = 0; i < value.size(); ++i) {
            scratch_ += value[i];
            if (value[i] == '"' && i + 1 < value.size() && value[i + 1] == '"') ++i;
        }
        return form_.text.Keep(scratch_);
    }

    // Quotes are ASCII: a string's bytes as written say as much about its code page as the bytes it stands for.
    // A menu item's text counts for the form's font: the menus are the form's.
    void NoteText(std::string_view bytes) {
        if (IsAscii(bytes)) return;
        for (const char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) continue;
            TextFacts& facts = form_.facts;
            facts.beyondAscii = true;
            if (facts.allUtf8) facts.allUtf8 = IsUtf8(bytes);
            Open* owner = &open_.back();
            if (owner->kind == Kind::Item) owner = &open_.front();
            owner->beyondAscii = true;
            return;
        }
    }

public:
    /// What stops the whole conversion: a .frx string longer than any line may be.
    const std::optional<ConvertError>& failure() const { return failure_; }

private:
    FrxSource& frx_;
    Form& form_;
    std::optional<ConvertError> failure_;
    const bool keepControls_;
    const bool noteCodePage_;
    const bool keepControlFonts_;
    const bool keepTabStripTabs_;
    std::vector<Open> open_;    // the blocks whose End has not come yet, outermost first
    std::size_t skipDepth_ = 0; // nesting inside a block passed over whole
    bool inFont_ = false;       // inside the innermost object's Font block
    std::uint8_t tabStripDepth_ = 0;  // inside a TabStrip's Tabs block (1) and one of its tabs' blocks (2)
    std::uint16_t tabStripTab_ = 0;   // that tab, from 0
    bool inImages_ = false;     // inside an ImageList's Images block or a StatusBar's Panels block
    bool inListImage_ = false;  // and in it, inside the block of its image (or panel) number listImage_
    std::uint16_t listImage_ = 0;
    Prop listProperty_ = Prop::ListImage;  // what its Pictures are: ListImage or PanelPicture
    std::string scratch_;
    // The kept properties of the object read last, moved to it in one piece
    // when another object's come or it closes: grown a property at a time, each
    // object's vector would be copied four times over and keep up to twice its room.
    std::vector<FormProperty> pending_;
    std::uint32_t pendingOwner_ = 0;
};

// The code after the definition (the reader stands on its End or its first
// Attribute line): the Attribute lines are passed over, and every line from
// the first that is none is kept. False when reading fails.
bool KeepCode(FormReader& reader, Form& form) {
    std::optional<std::string_view> line;
    while ((line = reader.NextLine()) && StartsWithWord(TrimBlanks(*line), "attribute")) {
    }
    if (!line) return !reader.error();
    form.codeLine = reader.line();
    std::string code;
    do {
        code.append(*line).append("\r\n");
    } while ((line = reader.NextLine()));
    if (reader.error()) return false;
    form.code = form.text.Keep(code);
    return true;
}

}  // namespace

Result<Form> ParseForm(FormReader& reader, FrxSource& frx, const FormReading& reading) {
    std::optional<std::string_view> line;
    while ((line = reader.NextLine()) && !EndsDefinition(*line) && !StartsWithWord(TrimBlanks(*line), "begin")) {
    }
    if (reader.error()) return *reader.error();
    if (!line || EndsDefinition(*line)) return FileError(ErrorKind::NotAForm, reader.name());
    const auto [type, rest] = SplitWord(SplitWord(TrimBlanks(*line)).second);
    if (!IsFormType(type)) {
        ConvertError error = LineError(ErrorKind::NotAForm, reader.name(), reader.line());
        error.detail = type;
        return error;
    }

    Form form;
    FormBuilder builder(frx, form, reading);
    builder.BeginForm(type, SplitWord(rest).first, reader.line());
    for (;;) {
        std::size_t* const passedOver = builder.BlocksPassedOver();
        line = passedOver ? reader.NextLineOutside(*passedOver, builder.PassesOverSiblings()) : reader.NextLine();
        if (!line || EndsDefinition(*line) || !builder.Line(TrimBlanks(*line), reader.line())) break;
    }
    if (reader.error()) return *reader.error();
    if (const std::optional<ConvertError>& failure = builder.failure()) {
        ConvertError error = LineError(failure->kind, reader.name(), failure->line);
        error.detail = failure->file;
        error.number = failure->number;
        return error;
    }
    builder.Finish();
    if (reading.code && line && !KeepCode(reader, form)) return *reader.error();
    return form;
}

}  // namespace tarvel
