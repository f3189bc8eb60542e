// The main window as a Qt Widgets view: it creates and places the controls of
// the shared layout table, forwards each control's event to the behaviour
// (tarvel::ui::MainWindow) and shows what the behaviour tells it. The handlers
// carry the names of the events they answer; none decides anything itself.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

#include "main_window.h"
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

class frmMain : public QWidget, public tarvel::ui::MainWindowView {
    Q_OBJECT

public:
    /// Loads the window; its controls are made when it is first shown, and
    /// Form_Load runs then, on `startName` (a form or folder) when one is
    /// given. `platform` must outlive it.
    explicit frmMain(tarvel::ui::Platform& platform, std::string startName = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    /// The first show puts the window itself on the screen, then makes its
    /// controls and runs Form_Load before anything is painted: what they cost
    /// (the fonts of the first line edit, the accessibility bridge that the
    /// first item view starts, the first directory listing) comes after the
    /// window appears, and the first paint shows the lists filled.
    void setVisible(bool visible) override;

    const tarvel::ui::MainWindow& behaviour() const { return behaviour_; }

    /// Puts the window in the middle of the screen it is on.
    void CenterOnScreen();

    void ListDrives(const std::vector<std::string>& drives) override;
    void ShowDrive(const std::string& drive) override;
    void ShowDirectory(const std::string& path, const std::vector<tarvel::ui::DirectoryEntry>& entries) override;
    void ListFiles(const std::vector<std::string>& names) override;
    std::string SelectedFileName() const override;
    void SelectFile(const std::string& name) override;
    std::string OutputName() const override;
    void SetOutputName(const std::string& text) override;
    void EnableOutputName(bool enabled, tarvel::ui::Colour background) override;
    std::string FirstIdText() const override;
    bool DefinesChecked() const override;
    tarvel::ui::OutputTarget ChosenOutput() const override;
    void SetResultText(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void PutOnClipboard(const std::string& text) override;
    void ShowAboutBox() override;
    void EndProgram() override;

protected:
    /// A file or folder dragged from a file manager: opened as if named at start.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void PlaceControls();
    void ConnectControls();

    void Drive1_Change();
    void Dir1_Change(const QString& path);
    void File1_Click();
    void Option1_Click();
    void Option2_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    tarvel::ui::Platform& platform_;
    tarvel::ui::MainWindow behaviour_;
    std::unique_ptr<frmAbout> aboutBox_;
    std::string startName_;

    DirListBox* Dir1 = nullptr;
    QComboBox* Drive1 = nullptr;
    FileListBox* File1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPlainTextEdit* Text2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* chkDefine = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
};
