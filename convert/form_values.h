// How a form writes a property's value, for the parsers that read forms: a
// string in double quotes (a quote inside doubled), a reference to a string
// kept in the .frx file ($"Form1.frx":0A3C), or a number or word followed by
// a comment ("-1  'True"). Only ASCII is matched; a string's bytes are kept
// in whatever code page the form has.
#pragma once

#include <string>
#include <string_view>

#include "frx_captions.h"
#include "menu.h"
#include "result.h"

namespace tarvel {

/// A string property's bytes, kept in `store`: read from the .frx file when
/// the value refers to one, else the text between the quotes with doubled
/// quotes undone (a lone quote, written by hand, stands for itself).
/// `scratch` is working room the caller reuses.
Result<std::string_view> KeepStringValue(std::string_view value, FrxSource& frx, TextStore& store, std::string& scratch);

/// A value that is not a string, without the comment that may follow it:
/// "-1  'True" gives "-1".
std::string_view WithoutComment(std::string_view value);

}  // namespace tarvel
