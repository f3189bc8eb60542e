// The main window's own variables. They live as long as the window.
#pragma once

#include <string>

namespace tarvel::ui {

struct MainFormState {
    /// The directory the directory list shows, UTF-8, always ending with one
    /// separator; the form is read from it and a bare output name is saved in it.
    std::string dirPath;
};

}  // namespace tarvel::ui
