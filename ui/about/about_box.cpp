#include "about_box.h"

#include "tarvel_version.h"

namespace tarvel::ui {

std::string VersionText() {
    return "Wersja " + std::to_string(TARVEL_VERSION_MAJOR) + "." + std::to_string(TARVEL_VERSION_MINOR) + "." +
           std::to_string(TARVEL_VERSION_PATCH);
}

void AboutBox::Load() { view_.SetVersionText(VersionText()); }

void AboutBox::PressOk() { view_.Close(); }

void AboutBox::OpenHomePage() {
    // A missing browser or opener is not worth a message: the box stays as it is.
    static_cast<void>(platform_.OpenWebPage(kHomePage));
}

}  // namespace tarvel::ui
