#pragma once
// A generic about box: program icon, product name, version, notice and comments on a lowered
// panel, and an OK button. The program creates it at start; no command shows it.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog
{
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};

// The about box the program created at start (nullptr before and after).
extern TAboutBox* AboutBox;
