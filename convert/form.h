// A whole form as data: the form object and its controls, each with the
// properties the form gives it, as a tree in the form's order. The dialog
// writer works from this tree, never from the text being read. Menus are not
// part of it: they have a tree of their own (menu.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "menu.h"

namespace tarvel {

struct FormProperty {
    std::string_view name;   ///< as written: "Caption"; a Font block's as "Font.Name", "Font.Size", ...
    std::string_view value;  ///< a string's bytes (quotes undone, .frx captions read); else the value without its comment
};

struct FormObject {
    static constexpr std::uint32_t kNoParent = UINT32_MAX;

    std::string_view type;  ///< the word after "Begin": "VB.Form", "VB.CommandButton", "MSComctlLib.ListView"
    std::string_view name;  ///< the word after the type
    std::vector<FormProperty> properties;  ///< in the form's order
    std::uint32_t parent = kNoParent;      ///< the object it lies in: the form, a Frame, a PictureBox, ...
    std::uint32_t end = 0;                 ///< the position in Form::objects just past its descendants

    /// The value of the first property called `name`, nothing when the form leaves it out.
    std::optional<std::string_view> Property(std::string_view name) const {
        for (const FormProperty& property : properties)
            if (property.name == name) return property.value;
        return std::nullopt;
    }
};

/// A string the form keeps in a .frx file that is not read: its property is
/// left empty, and the reason is kept for a warning.
struct UnreadableString {
    std::uint32_t object = 0;
    std::string_view property;
    std::string reason;
};

struct Form {
    /// Pre-order: objects[0] is the form itself; an object's children follow it up to its `end`.
    std::vector<FormObject> objects;
    std::vector<UnreadableString> unreadable;
    TextStore text;
};

}  // namespace tarvel
