#pragma once

#include <QApplication>

#include <memory>

class Exception;
class TForm1;
class TForm2;
class TForm3;

// The application object: it makes the three windows, runs the event loop
// and shows every error that escapes an event handler, then carries on.
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    // Start-up, the event loop and shutdown; the process's exit code.
    int run();

    bool notify(QObject *receiver, QEvent *event) override;

    // The error box: the title as caption, the message with its period.
    void showException(const std::exception &error);

    // The program file's name without directory and extension, as the
    // caption of the error box.
    QString Title;

    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;

private:
    void showFatalError(const Exception &error);
};
