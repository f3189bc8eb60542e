// The window's Polish message for every kind of error a conversion can stop
// with, word for word, and for the captions it had to leave empty.
#include "error_messages.h"

#include <gtest/gtest.h>

#include <system_error>

namespace {

using namespace tarvel;
using namespace tarvel::ui;

ConvertError Error(ErrorKind kind, std::string file, std::uint32_t line = 0, std::string detail = {},
                   std::int64_t number = 0, std::error_code system = {}) {
    ConvertError error = LineError(kind, std::move(file), line);
    error.detail = std::move(detail);
    error.number = number;
    error.system = system;
    return error;
}

TEST(ErrorMessages, EachKindIsOnePlainPolishSentenceNamingTheFileAndTheLine) {
    const std::error_code gone = std::make_error_code(std::errc::no_such_file_or_directory);
    const std::string reason = gone.message();
    const std::pair<ConvertError, std::string> cases[] = {
        {Error(ErrorKind::FormUnreadable, "/f/F.frm", 0, {}, 0, gone), "Nie można odczytać pliku formularza „/f/F.frm”: " + reason + "."},
        {Error(ErrorKind::NotARegularFile, "/f/F.frm"),
         "Nie można odczytać pliku formularza „/f/F.frm”: to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie."},
        {Error(ErrorKind::FormLineTooLong, "/f/F.frm", 7), "Nie można odczytać pliku formularza „/f/F.frm”: jego wiersz 7 jest zbyt długi."},
        {Error(ErrorKind::NotAForm, "/f/F.frm", 2, "VB.Frame"),
         "Plik „/f/F.frm” nie jest formularzem Visual Basic: zaczyna się blokiem „VB.Frame” (wiersz 2), a nie „VB.Form” ani „VB.MDIForm”."},
        {Error(ErrorKind::NoMenu, "/f/F.frm"), "Podany plik (formularz) nie posiada menu"},
        {Error(ErrorKind::FrxUnreadable, "/f/F.frx", 0, {}, 0, gone), "Nie można odczytać pliku „/f/F.frx” z tekstami menu: " + reason + "."},
        {Error(ErrorKind::FrxOutOfRange, "/f/F.frx"), "Plik „/f/F.frx” z tekstami menu jest krótszy, niż podaje formularz."},
        {Error(ErrorKind::ItemNumberOutOfRange, "F.frm", 42, "mnuX", 65536),
         "Pozycja menu „mnuX” formularza „F.frm” (wiersz 42) dostałaby numer 65536, a zasób MENU mieści numery od 0 do 65535."},
        {Error(ErrorKind::ItemNumberOutOfRange, "F.frm", 0, "", -1),
         "Pozycja menu formularza „F.frm” dostałaby numer -1, a zasób MENU mieści numery od 0 do 65535."},
        {Error(ErrorKind::ControlNumberOutOfRange, "F.frm", 9, "cmdOK", 65536),
         "Kontrolka „cmdOK” formularza „F.frm” (wiersz 9) dostałaby numer 65536, a okno dialogowe mieści numery od 0 do 65535."},
        {Error(ErrorKind::OutputNameEmpty, ""), "Nie podano nazwy pliku wynikowego: pole „Nazwa pliku RES” jest puste."},
        {Error(ErrorKind::OutputIsForm, "/f/F.frm"), "Plik wynikowy „/f/F.frm” to sam formularz; zapis zniszczyłby go."},
        {Error(ErrorKind::FrxEntryTooLong, "/f/F.frm", 7, "/f/F.frx", 1073741824),
         "Wiersz 7 formularza „/f/F.frm” wskazuje w pliku „/f/F.frx” tekst o długości 1073741824 bajtów, a wiersz "
         "formularza mieści najwyżej 16 MiB."},
        {Error(ErrorKind::OutputIsInput, "/f/F.rc", 0, "/f/F.frx"),
         "Plik wynikowy „/f/F.rc” to plik „/f/F.frx”, z którego konwersja czyta; zapis zniszczyłby go."},
        {[] {
             ConvertError error = Error(ErrorKind::OutputsShareAFile, "/f/F.frm", 6, "/f/F.ico");
             error.otherFile = "/f/./F.ico";
             return error;
         }(),
         "Obraz formularza „/f/F.frm” (wiersz 6) zostałby zapisany w pliku „/f/F.ico”, w którym zapisuje się też inny "
         "plik wynikowy, „/f/./F.ico”; jeden zniszczyłby drugi."},
        {Error(ErrorKind::FrxUnreadable, "/f/F.frx", 0, "not a regular file"),
         "Nie można odczytać pliku „/f/F.frx” z tekstami menu: to nie jest zwykły plik, lecz potok, gniazdo lub urządzenie."},
        {Error(ErrorKind::OutputUnwritable, "/f/F.rc", 0, {}, 0, gone), "Nie można zapisać pliku „/f/F.rc”: " + reason + "."},
        {Error(ErrorKind::OutputLinkRefused, "/tmp/F.rc"),
         "Nie zapisano pliku „/tmp/F.rc”: to dowiązanie symboliczne innego użytkownika we wspólnym katalogu z bitem "
         "sticky, a takie dowiązania system prowadzi tylko dla ich właściciela (reguła protected_symlinks)."},
        {Error(ErrorKind::OutputIncomplete, "/f/F.rc", 0, {}, 0, gone),
         "Zapis pliku „/f/F.rc” w miejscu starego przerwał się w połowie: " + reason + "; plik może być niekompletny."},
        {Error(ErrorKind::OutputFolderNotFlushed, "/f/F.rc", 0, {}, 0, gone),
         "Plik „/f/F.rc” zapisano, ale nie można utrwalić na dysku zmian w jego katalogu: " + reason +
             "; po awarii systemu może wrócić stary plik."},
        {Error(ErrorKind::OutOfMemory, "/f/F.frm"), "Zabrakło pamięci na konwersję pliku „/f/F.frm”."},
    };
    for (const auto& [error, message] : cases) EXPECT_EQ(ConversionFailureMessage(error), message) << ErrorKindName(error.kind);
}

TEST(ErrorMessages, CaptionsLeftEmptyAreToldOneALine) {
    const std::error_code gone = std::make_error_code(std::errc::no_such_file_or_directory);
    const std::vector<LostString> lost = {
        {"mnuOpen", "Caption", 12, Error(ErrorKind::FrxUnreadable, "/f/F.frx", 0, {}, 0, gone), {}},
        {"mnuSave", "Caption", 20, Error(ErrorKind::FrxOutOfRange, "/f/F.frx"), {}},
        {"mnuQuit", "Caption", 30, std::nullopt, "$\"\":0"},
    };
    EXPECT_EQ(LostStringsMessage(lost),
              "Tekst pozycji menu „mnuOpen” (wiersz 12) jest zapisany w pliku „/f/F.frx”, którego nie można odczytać: " +
                  gone.message() + "; pozycję bez tekstu pominięto.\n"
                  "Tekst pozycji menu „mnuSave” (wiersz 20) jest zapisany w pliku „/f/F.frx”, krótszym, niż podaje formularz; "
                  "pozycję bez tekstu pominięto.\n"
                  "Tekst pozycji menu „mnuQuit” (wiersz 30) jest zapisany w pliku wskazanym przez błędny odnośnik „$\"\":0”; "
                  "pozycję bez tekstu pominięto.");
}

}  // namespace
