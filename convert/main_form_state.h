// The main window's variables that the conversion reads and writes. They live
// as long as the window; the conversion resets all but dirPath on every run.
#pragma once

#include <cstdint>
#include <string>

namespace tarvel {

struct MainFormState {
    std::string firstMenuLine;  ///< the form's first menu line as read, followed by CR LF
    std::string dirPath;        ///< the directory chosen in the window, ending with one separator
    std::string menuText;       ///< the menu block, with the form's own line ends (CR LF, CR or LF)
    std::int32_t level = 0;     ///< menu items open at the current line of the block
    std::string defineText;     ///< the #define lines of the current conversion
    std::int32_t nextId = 0;    ///< the number the next menu item takes
};

}  // namespace tarvel
