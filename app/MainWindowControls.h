#pragma once

class QLabel;
class QListWidget;
class QProgressBar;
class QWidget;
class Perchly;
class Tabrix;

// The main window's controls, made and laid out on `window` with the names the program
// gives them (the window connects them): the list of commands and the buttons beside
// it, what was heard with the input level, the maker's address, and the tray icon.
struct MainWindowControls
{
    explicit MainWindowControls(QWidget* window);

    QListWidget* lstCmd = nullptr;
    Tabrix* cmdEdit = nullptr;
    Tabrix* cmdScripter = nullptr;
    Tabrix* cmdStart = nullptr;
    Tabrix* cmdStop = nullptr;
    Tabrix* cmdOptions = nullptr;
    Tabrix* cmdHideF = nullptr;
    Tabrix* cmdAbout = nullptr;
    Tabrix* cmdExit = nullptr;
    QLabel* image1 = nullptr;
    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    QLabel* lblHeard = nullptr;
    QProgressBar* prgLevel = nullptr;
    Perchly* perchly = nullptr;
};
