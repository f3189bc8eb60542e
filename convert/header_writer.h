// The numbers for a program's own sources, the same ones the RC text gives:
// a C header (#define lines inside an include guard) or MASM "NAME equ
// NUMBER" lines, from the name table. An item or control written with its
// number (its name is no identifier) has no line, as in the RC text's
// #define list. The opening comment says what the file holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "name_table.h"
#include "text_sink.h"

namespace tarvel {

/// The include guard for a header file's name: "menu.h" gives MENU_H.
std::string IncludeGuard(std::string_view fileName);

/// A C header: a comment naming `formName`, a comment listing the RC text's
/// resources and how a program loads each (the main menu named `menuName`,
/// its accelerator table when `accelerators`, the `pictures`' icons and
/// bitmaps), the guard from `headerName`, the #define lines.
void WriteCHeader(const NameTable& names, std::string_view headerName, std::string_view formName,
                  std::string_view menuName, bool accelerators, TextSink& out,
                  const std::vector<FormPicture>* pictures = nullptr);

/// MASM: a comment naming `formName`, then "NAME equ NUMBER" for every #defined name.
void WriteMasmNumbers(const NameTable& names, std::string_view formName, TextSink& out);

}  // namespace tarvel
