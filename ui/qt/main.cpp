// tarvel: the window that turns a Visual Basic form's menu into an RC MENU resource.
// The command line is read before Qt starts, so that --help prints also where
// no display is, and Qt reads none of it.
#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#include "frm_main.h"
#include "platform.h"
#include "start_arguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const tarvel::ui::StartRequest request = tarvel::ui::ParseStartArguments(arguments, std::cout, std::cerr);
    if (!request.openWindow) return request.status;

    // Every argument is the window's own: Qt is given the program's name alone.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    tarvel::ui::Platform platform;
    frmMain window(platform, request.name.value_or(std::string()));
    window.CenterOnScreen();
    window.show();
    return QApplication::exec();
}
