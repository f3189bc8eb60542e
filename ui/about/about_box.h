// The About box's behaviour, with no toolkit in it: loading it sets the
// version text, "OK" (also Enter and Escape) closes it, and "WWW" opens the
// program's home page through the platform, ignoring any failure. The texts
// it shows are here too, for both views.
#pragma once

#include <string>
#include <string_view>

#include "platform.h"

namespace tarvel::ui {

/// The program's home page, opened by "WWW".
inline constexpr char kHomePage[] = "https://tarvel.example.org/";

inline constexpr std::string_view kAboutCaption = "O programie";
inline constexpr std::string_view kAboutTitle = "Tarvel to RC file";
inline constexpr std::string_view kAboutDescription =
    "Program ten konwertuje menu z plików FRM do pliku RC. Jest to dobre dla osób "
    "programujących w MASMie gdyż mogą projektować menu w VB a potem eksportować do "
    "pliku RC. Dokładniejszy opis jest w pliku README.TXT";
inline constexpr std::string_view kAboutDisclaimer =
    "Program jest darmowy (freeware). Można go używać i rozdawać bez opłat, "
    "ale korzysta się z niego na własną odpowiedzialność.";
/// lblTitle's own font: the windows' font (main_window_layout.h) at 13.5 points, bold.
inline constexpr double kAboutTitleFontPoints = 13.5;

/// lblVersion's caption before the load replaces it.
inline constexpr std::string_view kVersionPlaceholder = "Version";

/// "Wersja " and the program's version, as lblVersion shows it.
std::string VersionText();

class AboutBoxView {
public:
    virtual ~AboutBoxView() = default;
    virtual void SetVersionText(const std::string& text) = 0;
    /// Unloads the box, which ends its modal showing.
    virtual void Close() = 0;
};

class AboutBox {
public:
    /// Both must outlive the behaviour.
    AboutBox(AboutBoxView& view, Platform& platform) : view_(view), platform_(platform) {}

    /// Form_Load.
    void Load();
    /// cmdOK_Click; Enter and Escape press OK too.
    void PressOk();
    /// cmdSysInfo_Click: the box stays open whatever the opener does.
    void OpenHomePage();

private:
    AboutBoxView& view_;
    Platform& platform_;
};

}  // namespace tarvel::ui
