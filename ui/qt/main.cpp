// tarvel: the window that turns a Visual Basic form's menu into an RC MENU resource.
#include <QApplication>

#include "frm_main.h"
#include "platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    tarvel::ui::Platform platform;
    frmMain window(platform);
    window.CenterOnScreen();
    window.show();
    return QApplication::exec();
}
