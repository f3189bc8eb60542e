// The main window: a small file browser for picking a form, the numbering and
// #define options, the choice of file or clipboard, and the Convert, About and
// Exit buttons. The handlers carry the names of the events they answer; the
// conversion itself is convert/'s, and everything that differs between systems
// goes through Platform.
#pragma once

#include <QWidget>

#include <map>
#include <memory>

#include "main_form_state.h"
#include "platform.h"

class DirListBox;
class FileListBox;
class frmAbout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class frmMain : public QWidget {
    Q_OBJECT

public:
    /// Loads the window and runs Form_Load; `platform` must outlive it.
    explicit frmMain(tarvel::Platform& platform, QWidget* parent = nullptr);
    ~frmMain() override;

    const tarvel::MainFormState& state() const { return state_; }

    /// Puts the window in the middle of the screen it is on.
    void CenterOnScreen();

private:
    void CreateControls();
    void PlaceControls();
    void ConnectControls();

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    tarvel::Platform& platform_;
    tarvel::MainFormState state_;
    std::unique_ptr<frmAbout> aboutBox_;
    // Each drive keeps the directory last shown on it, so coming back to a drive
    // (also after a drive that was not ready) returns to where the user was.
    std::map<QString, QString> driveDirectories_;

    DirListBox* Dir1;
    QComboBox* Drive1;
    FileListBox* File1;
    QLineEdit* Text1;
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPlainTextEdit* Text2;
    QGroupBox* Frame1;
    QLineEdit* Text3;
    QLabel* Label2;
    QCheckBox* chkDefine;
    QGroupBox* Frame2;
    QRadioButton* Option1;
    QRadioButton* Option2;
};
