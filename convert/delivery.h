// Writes the RC text to its file so that nothing is ever lost: the bytes go
// to a temporary file beside the target, which is renamed over the target only
// once it is complete and on the disk. On any failure the previous file is
// left as it was and the temporary file is removed.
#pragma once

#include <filesystem>
#include <string_view>

#include "result.h"

namespace tarvel {

/// Writes `text` followed by CR LF to `target`. `form` is the converted form,
/// which is never overwritten.
Status DeliverToFile(std::string_view text, const std::filesystem::path& target,
                     const std::filesystem::path& form);

}  // namespace tarvel
