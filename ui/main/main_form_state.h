// The main window's variables. They live as long as the window.
#pragma once

#include <string>

namespace tarvel {

struct MainFormState {
    std::string dirPath;  ///< the directory chosen in the window, ending with one separator
};

}  // namespace tarvel
