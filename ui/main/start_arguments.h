// The window's command line: at most one form or folder to open the lists on,
// or --help or --version, which print a line and end the program before any
// window opens. Toolkit-free and read before the toolkit starts, so that the
// help also prints where no display is. Help and version go to the stream
// given for them, usage errors to the other, and the caller alone turns the
// result into an exit status.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace tarvel::ui {

struct StartRequest {
    bool openWindow = true;           ///< false: end at once with `status`
    int status = 0;                   ///< 0 after --help or --version, 2 after a usage error
    std::optional<std::string> name;  ///< the form or folder named, UTF-8, as given
};

/// Reads the arguments (UTF-8, without the program's name).
StartRequest ParseStartArguments(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace tarvel::ui
