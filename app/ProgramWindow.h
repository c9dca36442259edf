#pragma once
// The program's main window over its file, opened again in a new window when the file was replaced
// under it (a restore from a backup copy).
#include "MainWindow.h"

#include <QObject>
#include <memory>

namespace vi23 {

class ProgramWindow : public QObject {
    Q_OBJECT
public:
    explicit ProgramWindow(QString databasePath);
    ~ProgramWindow() override;

    // Opens and shows the main window; false, the error shown, when the file does not open.
    bool open();
    TForm1* window() const { return window_.get(); }

private:
    void reopen();

    QString path_;
    std::unique_ptr<TForm1> window_;
};

} // namespace vi23
