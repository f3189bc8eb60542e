// A form as data: the form object and its controls, each with the properties
// a writer reads and the line it began on, and the menus as a subtree of the
// form, in the form's order. Every writer works from this tree, never from
// the text being read. It keeps only what the writers use (a control's name,
// class, place and the properties the dialog's mapping reads; not every line
// of every property block), so a form of any size is never held twice.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "result.h"

namespace tarvel {

/// Keeps the bytes the tree's views point at. Pieces are never moved, so a
/// view stays valid as the store grows, and small pieces share large blocks.
class TextStore {
public:
    std::string_view Keep(std::string_view bytes);

private:
    // Blocks grow with the text kept, so a small form takes a little memory and a large one few blocks.
    static constexpr std::size_t kFirstBlockSize = 4 * 1024;
    static constexpr std::size_t kLargestBlockSize = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t nextBlockSize_ = kFirstBlockSize;
    char* free_ = nullptr;
    std::size_t room_ = 0;
};

/// The properties of forms and controls that a writer reads; the reader
/// keeps these and passes over the rest. A writer that reads one more adds it
/// here and to kPropertyNames in form.cpp.
enum class Prop : std::uint8_t {
    Caption, Text, Index,
    Left, Top, Width, Height, ClientWidth, ClientHeight, X1, X2, Y1, Y2,
    Visible, Enabled, TabIndex, TabStop,
    BorderStyle, Appearance, StartUpPosition, ControlBox, MinButton, MaxButton,
    Default, Alignment, UseMnemonic, MultiLine, ScrollBars, PasswordChar, Locked, Style, Sorted, MultiSelect, View,
    Tab, TabCaption, TabControl,                                    // a tabbed container's current tab and its pages
    FontName, FontSize, FontBold, FontItalic,                       // Visual Basic 3 writes the font so
    FontBlockName, FontBlockSize, FontBlockWeight, FontBlockItalic, FontBlockCharset,  // "BeginProperty Font"
    WordWrap, AutoSize,                                             // a Label's wrapping
    List, ItemData,                                                 // a list's items, as references to the .frx
    Value, Min, Max, SmallChange, LargeChange, Interval, MaxLength, BackColor, ForeColor, BackStyle,  // what a program sets
    Icon, Picture, DownPicture, DisabledPicture, Stretch,           // pictures: their "Form1.frx":0B2D as written
    ListImage,                                                      // an ImageList's ListImageN Picture (tab: N)
    MouseIcon, DragIcon, MICON,                                     // pointers: VB's and a LaVolpeButton's
    MousePointer, MPTR,                                             // 99: the control shows its own pointer
    TabPicture, PanelPicture,                                       // TabPicture(n), a StatusBar's PanelN Picture (tab: n, N)
    Count
};

/// Is it a picture, whose value is kept as the .frx reference the form writes?
constexpr bool IsPictureProperty(Prop property) {
    return property == Prop::Icon || property == Prop::Picture || property == Prop::DownPicture ||
           property == Prop::DisabledPicture || property == Prop::ListImage || property == Prop::MouseIcon ||
           property == Prop::DragIcon || property == Prop::MICON || property == Prop::TabPicture ||
           property == Prop::PanelPicture;
}

/// Is it a picture shown as the mouse pointer (a cursor stays a cursor)?
constexpr bool IsPointerProperty(Prop property) {
    return property == Prop::MouseIcon || property == Prop::DragIcon || property == Prop::MICON;
}

/// Is it one of many pictures of one control, told apart by a number (ListImageN, TabPicture(n), PanelN)?
constexpr bool IsNumberedPicture(Prop property) {
    return property == Prop::ListImage || property == Prop::TabPicture || property == Prop::PanelPicture;
}

/// The property's name as a form writes it; a Font block's as "Font.Name".
std::string_view PropertyName(Prop property);

/// A kept property and the tab it speaks of (TabCaption(n), Tab(n).Control(k), TabPicture(n)), or the
/// image (ListImageN) or panel (PanelN).
struct KeptName {
    Prop property{};
    std::uint16_t tab = 0;
};

/// The property that a form's line names, or nothing when no writer reads
/// it. `inFontBlock`: the line lies in a "BeginProperty Font" block.
std::optional<KeptName> KeptProperty(std::string_view name, bool inFontBlock);

struct FormProperty {
    std::string_view value;  ///< a string's bytes (quotes undone, .frx strings read); else the value without its comment
    std::uint32_t line = 0;
    Prop property{};
    std::uint16_t tab = 0;   ///< n of TabCaption(n), Tab(n).Control(k), TabPicture(n), ListImageN, PanelN; else 0
};

struct FormObject {
    static constexpr std::uint32_t kNoParent = UINT32_MAX;

    std::string_view type;  ///< the word after "Begin": "VB.Form", "VB.CommandButton", "MSComctlLib.ListView"
    std::string_view name;  ///< the word after the type
    std::vector<FormProperty> properties;  ///< in the form's order
    std::uint32_t parent = kNoParent;      ///< the object it lies in: the form, a Frame, a PictureBox, ...
    std::uint32_t end = 0;                 ///< the position in Form::objects just past its descendants
    std::uint32_t line = 0;                ///< the line of its Begin

    /// What the form calls it: its name, or NAME_INDEX for a member of a control array.
    std::string ArrayName() const;

    /// The value of the first such property, nothing when the form leaves it out.
    std::optional<std::string_view> Property(Prop property) const {
        for (const FormProperty& kept : properties)
            if (kept.property == property) return kept.value;
        return std::nullopt;
    }
    /// A number property as written ("120", "8.25", "-1"); nothing when it is left out or no number.
    std::optional<double> Number(Prop property) const;
};

struct MenuItem {
    std::string_view name;      ///< the one word after "Begin VB.Menu"
    std::string_view index;     ///< the digits of Index in a control array, empty when none
    std::string_view caption;   ///< the caption as the menu shows it (a .frx caption as stored)
    std::string_view shortcut;  ///< Shortcut as written ("^O", "{F5}"), empty when none
    bool enabled = true;
    bool checked = false;
    bool visible = true;
    std::uint32_t end = 0;      ///< the position in Form::menu just past this item's descendants
    std::uint32_t line = 0;     ///< the line of its Begin
};

/// The items in pieces of a fixed size: growing never moves an item, so a
/// large menu is neither copied nor held twice while it is read, and a piece
/// is only touched as far as it is filled.
class ItemList {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    MenuItem& operator[](std::size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const MenuItem& operator[](std::size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    void push_back(const MenuItem& item) {
        if (size_ % kChunk == 0) chunks_.emplace_back(static_cast<MenuItem*>(::operator new(kChunk * sizeof(MenuItem))));
        std::construct_at(&chunks_.back()[size_ % kChunk], item);
        ++size_;
    }

private:
    static_assert(std::is_trivially_destructible_v<MenuItem>);
    struct Release {
        void operator()(MenuItem* chunk) const { ::operator delete(chunk); }
    };
    static constexpr std::size_t kChunk = 4096;
    std::vector<std::unique_ptr<MenuItem[], Release>> chunks_;
    std::size_t size_ = 0;
};

/// A string the form keeps in a .frx file that is not read: its property is
/// left empty, and why is kept for a warning.
struct UnreadableString {
    bool inMenu = false;     ///< `node` is in Form::menu, else in Form::objects
    std::uint32_t node = 0;
    Prop property{};         ///< Caption or Text
    std::uint32_t line = 0;
    std::optional<ConvertError> frxError;  ///< the .frx file could not be read, or is shorter than the form says
    std::string dataReference;             ///< else: the reference to data ("Form1.frx":0A3C) that holds it
    bool malformed = false;                ///< or `dataReference` is a .frx reference that is malformed ($"":0)

    /// Why it is left empty, in English.
    std::string Why() const;
};

/// What the form's text says about its code page: the character sets its
/// fonts name, and whether every caption and text is UTF-8.
struct TextFacts {
    /// How many of the form's fonts (its own and its controls') name each character set.
    std::array<std::uint32_t, 256> charsets{};
    /// The same for the fonts of the objects whose text goes beyond ASCII (the
    /// form's own font counts for its menus): the fonts that show such text.
    std::array<std::uint32_t, 256> textCharsets{};
    int formCharset = -1;     ///< the form's own font's, -1 when it names none
    bool allUtf8 = true;      ///< every caption and text is well-formed UTF-8
    bool beyondAscii = false; ///< some caption or text holds a byte above 0x7F
};

struct Form {
    /// Pre-order: objects[0] is the form itself; an object's children follow it up to its `end`.
    /// The controls are here only when the form was read with them.
    std::vector<FormObject> objects;
    /// The menus, the form's children, pre-order: an item's children start right after it and end at its `end`.
    ItemList menu;
    std::vector<UnreadableString> unreadable;
    TextFacts facts;
    TextStore text;
    /// The form's Visual Basic code: every line after the form's definition
    /// and its Attribute lines, each ended by CR LF, from line `codeLine` on.
    /// Kept only when the form is read with FormReading::code.
    std::string_view code;
    std::uint32_t codeLine = 0;

    bool HasChildren(std::size_t item) const { return menu[item].end > item + 1; }
    bool IsMdiForm() const;
};

}  // namespace tarvel
