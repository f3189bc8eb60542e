// The form as a Win32 program in C (C99, <windows.h>, wide calls): the
// dialog of the RC text as its window, with the form's start values, list
// items, fonts, colours, timers and tab pages set where the template cannot
// hold them, and every event handler of the form's code that Windows has a
// counterpart for as a function of its own, called from the dialog
// procedure. A handler's body is a comment holding its Visual Basic code as
// written; the handlers without a counterpart and the rest of the code
// follow in a comment at the end, so nothing of the form is lost. It reads
// the same tree, layout and name table as the RC writer and the header: the
// ids are the header's names (a number where a name could not be defined),
// and the text of lists, tabs and fonts stays in the form's code page,
// turned into UTF-16 by the program itself. It does not compile or run
// anything, read files, or understand the Visual Basic code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialog_layout.h"
#include "form.h"
#include "form_code.h"
#include "form_pictures.h"
#include "name_table.h"
#include "rc_options.h"
#include "text_sink.h"

namespace tarvel {

/// A ComboBox's or ListBox's items as its .frx file holds them.
struct ListItems {
    std::uint32_t object = 0;          ///< in Form::objects
    std::vector<std::string> items;    ///< in the form's order and code page
    std::vector<std::int32_t> data;    ///< ItemData, one for each item or none
};

/// What the program needs beyond the tree, the layout and the table.
struct ProgramInput {
    std::string formFileName;    ///< the form, as the opening comment names it
    std::string headerInclude;   ///< #include "this": the header, from the C file's folder
    std::string rcFileName;      ///< the RC file, for the build commands in the opening comment
    std::string programFileName; ///< the C file's own name, likewise
    int codePage = 0;            ///< the form's text's code page; 0: the system's (CP_ACP)
    bool accelerators = false;   ///< the RC text has the main menu's accelerator table
    std::vector<ListItems> lists;
    const FormCode* code = nullptr;  ///< the form's procedures; null or empty when it has none
    /// The pictures the RC text holds as resources: the program gives the
    /// form its icon and each graphical button its image. Null without them.
    const std::vector<FormPicture>* pictures = nullptr;
};

/// Writes the program of a form that has a dialog.
void WriteProgram(const Form& form, const NameTable& names, const DialogLayout& dialog, const RcOptions& options,
                  const ProgramInput& input, TextSink& out);

}  // namespace tarvel
